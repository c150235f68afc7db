// Losing the display under X11.
//
// Xlib ends the program by itself when its connection breaks (the server
// died or killed us): its I/O error handler may not return. A window
// destroyed by another client leaves the connection alive, and every later
// drawing request then fails with BadWindow or BadDrawable, or, when the
// buffer swap is the first to find it gone, with GLX's own BadDrawable or
// BadWindow (numbered from the GLX extension's first error); the default
// handler for such errors prints a report and exits, and without one the
// game would go on drawing into nothing. All are turned into one call of
// `lost`. Every other error goes to the handler that was there before
// (SDL's).
//
// A destroyed window need not fail any request, though: in full screen the
// picture is drawn into a window of its own, and the named window that takes
// the keys can go while drawing carries on, deaf. Its destruction arrives as
// an event of the window system, which SDL hands on when asked to; that too
// is a lost window.
#include "platform/display_watch.h"

#include "platform/linux/compositor_probe.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <algorithm>

namespace
{
void (*LostHandler)() = nullptr;
XErrorHandler PreviousErrorHandler = nullptr;
int GlxFirstError = -1;  // the GLX extension's first error code; -1 without GLX

// GLX's errors for a drawable or window that is gone, as offsets from its
// first error (the GLX protocol's numbering).
constexpr int GlxBadDrawable = 2;
constexpr int GlxBadCurrentWindow = 5;
constexpr int GlxBadCurrentDrawable = 11;
constexpr int GlxBadWindow = 12;

bool LostWindowError(int code)
{
    if (code == BadWindow || code == BadDrawable)
    {
        return true;
    }
    if (GlxFirstError < 0)
    {
        return false;
    }
    const int glx = code - GlxFirstError;
    return glx == GlxBadDrawable || glx == GlxBadCurrentWindow || glx == GlxBadCurrentDrawable ||
           glx == GlxBadWindow;
}
Window Watched[3] = {};  // the named window, the drawn one, the full-screen one

int OnIoError(Display*)
{
    LostHandler();
    return 0;  // not reached: `lost` ends the program
}

int OnError(Display* display, XErrorEvent* error)
{
    if (LostWindowError(error->error_code))
    {
        LostHandler();
    }
    return PreviousErrorHandler ? PreviousErrorHandler(display, error) : 0;
}

// Sees the window-system events SDL passes on and lets none of them through:
// the game has no use for them.
int OnEvent(const SDL_Event* event)
{
    if (event->type != SDL_SYSWMEVENT)
    {
        return 1;
    }
    const XEvent& x = event->syswm.msg->event.xevent;
    if (event->syswm.msg->subsystem == SDL_SYSWM_X11 && x.type == DestroyNotify)
    {
        for (Window window : Watched)
        {
            if (window != None && x.xdestroywindow.window == window)
            {
                LostHandler();
            }
        }
    }
    return 0;
}

// Asks for the destruction of `window` to be reported, keeping what SDL
// already listens for on it.
void ListenForDestruction(Display* display, Window window)
{
    XWindowAttributes attributes;
    if (window != None && XGetWindowAttributes(display, window, &attributes))
    {
        XSelectInput(display, window, attributes.your_event_mask | StructureNotifyMask);
    }
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
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    info.info.x11.lock_func();
    if (XQueryExtension(info.info.x11.display, "GLX", &opcode, &firstEvent, &firstError))
    {
        GlxFirstError = firstError;
    }
    info.info.x11.unlock_func();
    PreviousErrorHandler = XSetErrorHandler(OnError);
    XSetIOErrorHandler(OnIoError);

    // Only where keys and drawing go to different windows can one of them go
    // unnoticed; a library that names one window only ends by itself when
    // it is destroyed (and handing on every event of the window system
    // there disturbs its own event queue).
    if (info.info.x11.wmwindow == None || info.info.x11.wmwindow == info.info.x11.window)
    {
        return;
    }
    Display* display = info.info.x11.display;
    const Window windows[3] = {info.info.x11.wmwindow, info.info.x11.window, info.info.x11.fswindow};
    std::copy(windows, windows + 3, Watched);
    info.info.x11.lock_func();
    for (Window window : Watched)
    {
        ListenForDestruction(display, window);
    }
    info.info.x11.unlock_func();
    SDL_SetEventFilter(OnEvent);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

// Under X11 a lost display ends the program as it happens (above). SDL 2's
// Wayland support, under SDL 1.2 over SDL 2, reports a compositor that went
// away as a request to quit, and a player closing the window looks the same.
// Whether the compositor is still there shows in whether it answers
// (compositor_probe.h).
bool DisplayStillThere()
{
    char driver[32];
    if (!SDL_VideoDriverName(driver, sizeof driver) || std::strcmp(driver, "wayland") != 0)
    {
        return true;
    }
    const char* name = std::getenv("WAYLAND_DISPLAY");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string path = name && *name ? name : "wayland-0";
    if (path[0] != '/')
    {
        if (!runtime || !*runtime)
        {
            return true;  // no socket we could ask
        }
        path = std::string(runtime) + "/" + path;
    }
    return CompositorAnswers(path.c_str());
}
