// The "desktop" in the browser: the picture's place on the page, in device
// pixels, so that the picture fills it as it fills the screen natively and
// stays sharp on screens with more than one device pixel per CSS pixel. On a
// desktop the page gives the picture the whole window; beside touch controls
// it gets a 4:3 part of it.
#include "platform/desktop.h"

#include <emscripten.h>

DesktopSize ReadDesktopSize()
{
    // clang-format off
    const int32_t width = EM_ASM_INT({
        var box = Module['canvas'] ? Module['canvas'].getBoundingClientRect() : null;
        return Math.max(1, Math.round((box && box.width || window.innerWidth) * (window.devicePixelRatio || 1)));
    });
    const int32_t height = EM_ASM_INT({
        var box = Module['canvas'] ? Module['canvas'].getBoundingClientRect() : null;
        return Math.max(1, Math.round((box && box.height || window.innerHeight) * (window.devicePixelRatio || 1)));
    });
    // clang-format on
    return {width, height};
}
