// Alt+F4 closes the window, as everywhere on Windows, and Alt on its own is
// the system's, not a key that starts a game (see system_keys.h).
#include "platform/system_keys.h"

#include <SDL.h>

SystemKey ClassifySystemKey(int key, int modifiers)
{
    if (key == SDLK_F4 && (modifiers & KMOD_ALT) != 0)
    {
        return SystemKey::Close;
    }
    if (key == SDLK_LALT || key == SDLK_RALT)
    {
        return SystemKey::None;
    }
    return SystemKey::Game;
}
