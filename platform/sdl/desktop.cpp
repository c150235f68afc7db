// The desktop size on Linux, from SDL: before the first SDL_SetVideoMode the
// video information describes the desktop; afterwards it describes our own
// window, so this must run first.
#include "platform/desktop.h"

#include <SDL.h>

DesktopSize ReadDesktopSize()
{
    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    if (!desktop)
    {
        return {0, 0};
    }
    return {desktop->current_w, desktop->current_h};
}
