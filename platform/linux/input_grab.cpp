// Whether another X client holds the keyboard or the pointer: tried with
// grabs of our own on the root window, over a connection of our own that is
// closed again before the game opens its window.
#include "platform/input_grab.h"

#include <X11/Xlib.h>
#include <cstdlib>
#include <cstring>

#include <chrono>
#include <thread>

bool InputHeldElsewhere()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && std::strcmp(driver, "x11") != 0)
    {
        return false;  // another window system: nothing of X's to wait for
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        return false;  // SDL will say why there is no window
    }
    const Window root = DefaultRootWindow(display);
    bool free = false;
    for (int attempt = 0; attempt < 20 && !free; attempt++)
    {
        if (attempt > 0)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        const int pointer =
            XGrabPointer(display, root, False, 0, GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
        const int keyboard = XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        free = pointer == GrabSuccess && keyboard == GrabSuccess;
        XUngrabKeyboard(display, CurrentTime);
        XUngrabPointer(display, CurrentTime);
    }
    XCloseDisplay(display);
    return !free;
}
