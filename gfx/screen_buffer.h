// The 128 x 96 software framebuffer every drawing routine writes into.
//
// One signed byte per pixel holding a palette index (0..9 a colour, negative
// black), stored column by column with y growing upward: pixel (x, y) lives at
// x * 96 + y, (0, 0) being the bottom-left corner. Main thread only.
#pragma once

#include <cstdint>

constexpr int ScreenWidth = 128;
constexpr int ScreenHeight = 96;
constexpr int ScreenPixels = ScreenWidth * ScreenHeight;

extern int8_t ScreenBuffer[ScreenPixels];

// The one place the column-major, y-up layout is spelled out.
inline int PixelOffset(int x, int y)
{
    return x * ScreenHeight + y;
}

inline bool OnScreen(int x, int y)
{
    return x >= 0 && x < ScreenWidth && y >= 0 && y < ScreenHeight;
}

// Writes one pixel, dropping it when it lies off the screen.
inline void PutPixelClipped(int x, int y, int8_t index)
{
    if (OnScreen(x, y))
    {
        ScreenBuffer[PixelOffset(x, y)] = index;
    }
}

void ClearScreenBuffer();
