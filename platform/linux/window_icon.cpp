// The window's icon under X11. Window managers of old read the bitmap SDL
// puts in the window's hints; docks and task switchers read the pictures in
// the window's _NET_WM_ICON property, which not every SDL 1.2 sets, so that
// is set here at a few sizes, the way the menu entry's icons come.
#include "platform/window_icon.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

#include "gfx/icon.h"

namespace
{
constexpr int Sizes[] = {16, 32, 48, 64, 128};
constexpr int HintSize = 64;

void SetHintIcon()
{
    std::vector<uint8_t> pixels = RenderIcon(HintSize);
    std::vector<uint8_t> mask(HintSize / 8 * HintSize, 0);  // transparent cells left out
    for (int i = 0; i < HintSize * HintSize; i++)
    {
        mask[i / 8] |= pixels[i * 4 + 3] >= 128 ? 0x80 >> i % 8 : 0;
    }
    SDL_Surface* icon = SDL_CreateRGBSurfaceFrom(pixels.data(), HintSize, HintSize, 32, HintSize * 4, 0x000000FF,
                                                 0x0000FF00, 0x00FF0000, 0xFF000000);
    if (icon)
    {
        SDL_WM_SetIcon(icon, mask.data());
        SDL_FreeSurface(icon);
    }
}
}  // namespace

void ShowWindowIcon()
{
    SetHintIcon();

    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11)
    {
        return;
    }
    // Each picture: its width, its height, then its pixels as ARGB, one to a
    // long (as Xlib hands 32-bit properties over, whatever a long's size).
    std::vector<unsigned long> property;
    for (int size : Sizes)
    {
        const std::vector<uint8_t> rgba = RenderIcon(size);
        property.push_back(size);
        property.push_back(size);
        for (size_t i = 0; i < rgba.size(); i += 4)
        {
            property.push_back(uint32_t(rgba[i + 3]) << 24 | uint32_t(rgba[i]) << 16 | uint32_t(rgba[i + 1]) << 8 |
                               rgba[i + 2]);
        }
    }
    // The window the window manager sees: SDL 1.2 draws into a child of it;
    // SDL 1.2 on SDL 2 names only the one window.
    const Window named = info.info.x11.wmwindow != None ? info.info.x11.wmwindow : info.info.x11.window;
    Display* display = info.info.x11.display;
    info.info.x11.lock_func();
    XChangeProperty(display, named, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(property.data()),
                    static_cast<int>(property.size()));
    XFlush(display);
    info.info.x11.unlock_func();
}
