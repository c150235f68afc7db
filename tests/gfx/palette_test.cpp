// The drifting palette: how a palette index becomes a colour, a stored course
// of the drift of live colours to their targets and its slowing down, and the
// display texture's staging image filled from a composed ScreenBuffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "gfx/display_image.h"
#include "gfx/palette.h"
#include "gfx/screen_buffer.h"
#include "tests/digest.h"
#include "tests/test_platform.h"

namespace
{
using Rgb = std::array<int, 3>;

// The bytes a palette index shows as after setting its live colour.
Rgb Colour(int8_t index, int variant, float r, float g, float b)
{
    if (index >= 0 && index < PaletteColours)
    {
        std::copy_n(std::array<float, 3>{r, g, b}.begin(), 3, LivePalette[index][variant]);
    }
    uint8_t rgb[3] = {11, 22, 33};
    PixelColour(index, variant, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

// A new game's palette from a fixed seed, drifting fast.
void StartPalette(unsigned seed)
{
    srand(seed);
    InitPalettes();
    PaletteDriftSpeed = 24;
    PaletteTickCounter = 0;
}
}  // namespace

TEST(PixelColour, ScalesBy255TruncatesClampsJitterAndShowsIndicesWithoutColourAsBlack)
{
    EXPECT_EQ(Colour(1, 0, 0.28f, 0.09f, 0.01f), (Rgb{71, 22, 2}));  // 71.4, 22.95, 2.55
    EXPECT_EQ(Colour(7, 0, 1.05f, -0.03f, 0.02f), (Rgb{255, 0, 5}));
    // Colour 0 is black plus only the positive part of its jitter.
    EXPECT_EQ(Colour(0, 1, -0.08f, 0.04f, 0.0f), (Rgb{0, 10, 0}));

    // Negative bytes and indices without a colour show black, not a colour
    // wrapped into range.
    std::fill_n(&LivePalette[0][0][0], sizeof LivePalette / sizeof(float), 0.5f);  // grey if wrongly wrapped
    for (int byte : {255, 128, 200, 10, 11, 64, 127})
    {
        EXPECT_EQ(Colour(static_cast<int8_t>(static_cast<uint8_t>(byte)), byte & 1, 0.5f, 0.5f, 0.5f), (Rgb{0, 0, 0}))
            << "byte " << byte;
    }
}

TEST(PaletteTick, DriftsAsStoredFastUntilAWholePeriodOfOneGameThenSlowly)
{
    // A new game 100 ticks in restarts the period: the fast drift lasts 2100
    // ticks; the tick that finds the period over still moves at the old speed.
    StartPalette(5);
    uint32_t digest = DigestStart;
    for (int tick = 1; tick <= 4500; tick++)
    {
        PaletteTick();
        if (tick == 100)
        {
            PaletteTickCounter = 0;
        }
        EXPECT_EQ(PaletteDriftSpeed, tick <= 2100 ? 24 : 1) << "tick " << tick;
        digest = Digest(TargetPalette, sizeof TargetPalette, Digest(LivePalette, sizeof LivePalette, digest));
    }
    EXPECT_EQ(digest, GoldenForThisRand(2946970111u, 3740965749u)) << digest;
}

TEST(DisplayImage, TableDrivenFillMatchesThePlainConversion)
{
    StartPalette(7);
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
