// The window manager sees Alt+F4 and its own keys before we do (see
// system_keys.h): every key that reaches the game is the game's.
#include "platform/system_keys.h"

SystemKey ClassifySystemKey(int, int)
{
    return SystemKey::Game;
}
