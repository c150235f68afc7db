// Composing a frame and turning the ScreenBuffer into texture colours.
//
// This is everything of a presented frame that needs no GL: once the shell
// has drawn the frame into the ScreenBuffer, the GL side calls
// FillDisplayImage and uploads the staging image. The screenshot reads the
// last colours back from the same image, so the layout stays exactly pixel
// (x, y) -> texel (s = y, t = x). Main thread only.
#include "gfx/display_image.h"

#include <cstdlib>  // Required for: rand()

#include "gfx/palette.h"
#include "gfx/screen_buffer.h"

namespace
{
// Slot of the colour lookup table that holds black for every byte outside
// 0..9 (negative indices, and the 10..127 nothing should write).
constexpr int BlackSlot = PaletteColours;
}

//------------------------------------------------------------------------------
// Functions
//------------------------------------------------------------------------------

void InitDisplayImage(uint8_t* staging)
{
    for (int t = 0; t < DisplayTextureSize; t++)
    {
        for (int s = 0; s < DisplayTextureSize; s++)
        {
            uint8_t* texel = staging + (t * DisplayTextureSize + s) * 4;
            texel[0] = static_cast<uint8_t>(rand() % 255);
            texel[1] = static_cast<uint8_t>(rand() % 255);
            texel[2] = static_cast<uint8_t>(rand() % 255);
            texel[3] = 255;
        }
    }
}

// The palette only changes between frames, so its 20 shown colours (and
// black) are worked out once here and every pixel is one table read.
void FillDisplayImage(uint8_t* staging)
{
    uint8_t table[2][PaletteColours + 1][3];
    for (int v = 0; v < 2; v++)
    {
        for (int c = 0; c < PaletteColours; c++)
        {
            PixelColour(static_cast<int8_t>(c), v, table[v][c]);
        }
        table[v][BlackSlot][0] = table[v][BlackSlot][1] = table[v][BlackSlot][2] = 0;
    }

    for (int x = 0; x < ScreenWidth; x++)
    {
        // One ScreenBuffer column is one texel row: both run along y.
        const int8_t* column = &ScreenBuffer[PixelOffset(x, 0)];
        uint8_t* texel = staging + DisplayTexelOffset(x, 0);
        for (int y = 0; y < ScreenHeight; y++, texel += 4)
        {
            // Unsigned, so negative bytes land above 9 with the rest.
            const uint8_t index = static_cast<uint8_t>(column[y]);
            const uint8_t* rgb = table[y & 1][index < PaletteColours ? index : BlackSlot];
            texel[0] = rgb[0];
            texel[1] = rgb[1];
            texel[2] = rgb[2];
        }
    }
}

void FillDisplayImagePlain(uint8_t* staging)
{
    for (int x = 0; x < ScreenWidth; x++)
    {
        for (int y = 0; y < ScreenHeight; y++)
        {
            PixelColour(ScreenBuffer[PixelOffset(x, y)], y % 2, staging + DisplayTexelOffset(x, y));
        }
    }
}
