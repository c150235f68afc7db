// The X11 (or Wayland) driver's settings (see video_driver.h).
#include "platform/video_driver.h"

#include <cstdlib>

void ChooseVideoDriver()
{
    // SDL offers OpenGL only through X11 here. Without this, a missing display
    // makes SDL fall back to text-terminal drivers that take over the terminal
    // and then fail anyway. A driver the user chose is respected.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    // What the desktop knows us by: the window class the menu entry names as
    // its StartupWMClass, the application id of the entry itself on Wayland,
    // and the name sound servers show in their volume controls. Unset, the
    // class follows the program's file name and the others are generic.
    setenv("SDL_VIDEO_X11_WMCLASS", "mirelantha", 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", "org.mirelantha.mirelantha", 0);
    setenv("SDL_APP_ID", "org.mirelantha.mirelantha", 0);
    setenv("SDL_APP_NAME", "mirelantha", 0);
}
