// The drifting palette: how a palette index becomes a colour, how live colours
// drift to their targets, and when the drift slows down.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "gfx/palette.h"

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

// Every live component equal to its target, so a tick moves nothing unless a
// test says otherwise.
void SettlePalette()
{
    for (int i = 0; i < PaletteColours * 2; i++)
    {
        std::copy(BasePalette[i / 2], BasePalette[i / 2] + 3, LivePalette[i / 2][i % 2]);
        std::copy(BasePalette[i / 2], BasePalette[i / 2] + 3, TargetPalette[i / 2][i % 2]);
    }
}
}

TEST(PixelColour, ScalesBy255TruncatesClampsJitterAndShowsIndicesWithoutColourAsBlack)
{
    EXPECT_EQ(Colour(1, 0, 0.28f, 0.09f, 0.01f), (Rgb{71, 22, 2}));  // 71.4, 22.95, 2.55
    EXPECT_EQ(Colour(7, 0, 1.05f, -0.03f, 0.02f), (Rgb{255, 0, 5}));
    // Colour 0 is black plus only the positive part of its jitter.
    EXPECT_EQ(Colour(0, 1, -0.08f, 0.04f, 0.0f), (Rgb{0, 10, 0}));

    // Negative bytes and indices without a colour show black, not a colour
    // wrapped into range.
    for (int index = 0; index < PaletteColours * 2; index++)
    {
        Colour(static_cast<int8_t>(index / 2), index % 2, 0.5f, 0.5f, 0.5f);  // grey if wrongly wrapped into range
    }
    for (int byte : {255, 128, 200, 10, 11, 64, 127})
    {
        EXPECT_EQ(Colour(static_cast<int8_t>(static_cast<uint8_t>(byte)), byte & 1, 0.5f, 0.5f, 0.5f), (Rgb{0, 0, 0}))
            << "byte " << byte;
    }
}

TEST(PaletteTick, MovesByOneStepAndSnapsWhenCloserThanAStep)
{
    SettlePalette();
    PaletteDriftSpeed = 1;
    PaletteTickCounter = 1;  // away from a target redraw
    const float target = TargetPalette[3][1][2];
    LivePalette[3][1][2] = target + 0.012f;

    PaletteTick();
    EXPECT_NEAR(LivePalette[3][1][2], target + 0.007f, 1e-6f);
    PaletteTick();
    EXPECT_NEAR(LivePalette[3][1][2], target + 0.002f, 1e-6f);
    PaletteTick();
    EXPECT_EQ(LivePalette[3][1][2], target);
}

TEST(PaletteTick, DrawsNewTargetsAtOnceWithoutSlowingOnTheFirstTick)
{
    SettlePalette();
    PaletteDriftSpeed = 24;
    PaletteTickCounter = 0;
    srand(99);

    PaletteTick();
    EXPECT_EQ(PaletteDriftSpeed, 24);
    bool anyMoved = false;
    for (int i = 0; i < PaletteColours * 6; i++)
    {
        const float offset = (&TargetPalette[0][0][0])[i] - BasePalette[i / 6][i % 3];
        EXPECT_LE(std::fabs(offset), 0.04f + 1e-6f);
        anyMoved = anyMoved || offset != 0.0f;
    }
    EXPECT_TRUE(anyMoved);
    // Targets changed after this tick's drift: live has not moved.
    EXPECT_EQ(LivePalette[4][1][2], BasePalette[4][2]);
}

TEST(PaletteTick, SlowsDownAfterAFullPeriodOfTheGameUsingTheOldSpeedForThatTick)
{
    srand(5);
    InitPalettes();
    PaletteDriftSpeed = 24;
    PaletteTickCounter = 0;
    for (int i = 0; i < 100; i++)
    {
        PaletteTick();
    }
    PaletteTickCounter = 0;  // what constructing a new game does: the fast drift lasts another period
    for (int i = 0; i < 2000; i++)
    {
        PaletteTick();
    }
    EXPECT_EQ(PaletteDriftSpeed, 24);
    LivePalette[2][0][0] = TargetPalette[2][0][0] + 0.5f;
    const float before = LivePalette[2][0][0];
    PaletteTick();
    EXPECT_EQ(PaletteDriftSpeed, 1);
    EXPECT_NEAR(LivePalette[2][0][0], before - 0.12f, 1e-6f);
}
