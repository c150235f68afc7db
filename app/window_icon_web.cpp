// In the browser the page carries the game's icon itself (its link to the
// icon drawn at build time).
#include "app/window_icon.h"

void ShowWindowIcon()
{
}
