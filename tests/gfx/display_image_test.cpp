// Turning a composed ScreenBuffer into the display texture's staging image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "gfx/display_image.h"
#include "gfx/palette.h"
#include "gfx/screen_buffer.h"

TEST(DisplayImage, TableDrivenFillMatchesThePlainConversion)
{
    srand(7);
    InitPalettes();
    PaletteDriftSpeed = 24;
    PaletteTickCounter = 0;
    for (int frame = 0; frame < 5; frame++)
    {
        // Jitter past 0..1 exercises the clamping of both paths.
        LivePalette[7][frame & 1][0] = 1.07f;
        LivePalette[0][frame & 1][1] = -0.05f;
        std::generate(std::begin(ScreenBuffer), std::end(ScreenBuffer), [] { return static_cast<int8_t>(rand()); });
        // Both start from the same noise, so any byte either leaves shows.
        srand(frame);
        std::vector<uint8_t> fast(DisplayImageBytes);
        InitDisplayImage(fast.data());
        std::vector<uint8_t> plain = fast;
        FillDisplayImage(fast.data());
        FillDisplayImagePlain(plain.data());
        ASSERT_EQ(fast, plain) << "frame " << frame;
        for (int i = 0; i < 300; i++)
        {
            PaletteTick();
        }
    }
}
