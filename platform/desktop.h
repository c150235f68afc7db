// The desktop's size in pixels, the size of the full-screen window and of
// every screenshot. Each system reads it its own way (sdl/desktop.cpp,
// windows/desktop.cpp, web/desktop.cpp). Main thread, after SDL video is up and before the
// window is opened.
#pragma once

#include <cstdint>

struct DesktopSize
{
    int32_t width;
    int32_t height;
};

DesktopSize ReadDesktopSize();
