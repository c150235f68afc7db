// The "desktop" in the browser: the page's window, in device pixels, so that
// the picture fills it as it fills the screen natively and stays sharp on
// screens with more than one device pixel per CSS pixel.
#include "platform/desktop.h"

#include <emscripten.h>

DesktopSize ReadDesktopSize()
{
    const int32_t width = EM_ASM_INT({ return Math.max(1, Math.round(window.innerWidth * (window.devicePixelRatio || 1))); });
    const int32_t height = EM_ASM_INT({ return Math.max(1, Math.round(window.innerHeight * (window.devicePixelRatio || 1))); });
    return {width, height};
}
