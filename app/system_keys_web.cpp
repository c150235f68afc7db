// In the browser the page and the browser itself keep their own keys (closing
// a tab never reaches the page): every key that arrives is the game's.
#include "app/system_keys.h"

SystemKey ClassifySystemKey(int, int)
{
    return SystemKey::Game;
}
