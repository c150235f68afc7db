// Prints what the title screen must show, for the browser test to hold the
// page's picture against: the ten base colours as "r,g,b" bytes, then the
// title screen in both phases of its blinking prompt as 96 lines of 128
// palette digits each, top row first (anything outside 0..9 shows as 0).
//
//     title-cells DATA_DIR
#include <algorithm>
#include <cstdio>

#include "gfx/font.h"
#include "gfx/palette.h"
#include "gfx/screen_buffer.h"
#include "gfx/title_picture.h"
#include "gfx/title_screen.h"

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: title-cells DATA_DIR\n");
        return 2;
    }
    auto byte = [](float c) { return static_cast<int>(std::clamp(c, 0.0f, 1.0f) * 255); };
    for (const auto& rgb : BasePalette)
    {
        std::printf("%d,%d,%d\n", byte(rgb[0]), byte(rgb[1]), byte(rgb[2]));
    }
    ReadTitlePictureFile(argv[1]);
    for (uint32_t frame : {0u, 6u})  // the prompt's two colours
    {
        FrameCounter = frame;
        ClearScreenBuffer();
        DrawTitleScreen();
        for (int y = ScreenHeight - 1; y >= 0; y--)
        {
            for (int x = 0; x < ScreenWidth; x++)
            {
                const int8_t index = ScreenBuffer[PixelOffset(x, y)];
                std::putchar(index >= 0 && index < PaletteColours ? '0' + index : '0');
            }
            std::putchar('\n');
        }
    }
    return 0;
}
