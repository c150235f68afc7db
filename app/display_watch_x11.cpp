// Losing the display under X11.
//
// Xlib ends the program by itself when its connection breaks (the server
// died or killed us): its I/O error handler may not return. A window
// destroyed by another client leaves the connection alive, and every later
// drawing request then fails with BadWindow or BadDrawable; the default
// handler for such errors exits too, and without one the game would go on
// drawing into nothing. Both are turned into one call of `lost`. Every other
// error goes to the handler that was there before (SDL's).
#include "app/display_watch.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace
{
void (*LostHandler)() = nullptr;
XErrorHandler PreviousErrorHandler = nullptr;

int OnIoError(Display*)
{
    LostHandler();
    return 0;  // not reached: `lost` ends the program
}

int OnError(Display* display, XErrorEvent* error)
{
    if (error->error_code == BadWindow || error->error_code == BadDrawable)
    {
        LostHandler();
    }
    return PreviousErrorHandler ? PreviousErrorHandler(display, error) : 0;
}
}  // namespace

void WatchDisplay(void (*lost)())
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11)
    {
        return;  // not on X11: nothing of ours to watch
    }
    LostHandler = lost;
    PreviousErrorHandler = XSetErrorHandler(OnError);
    XSetIOErrorHandler(OnIoError);
}
