// The sprite blitter's eight orientations and clipping, and the sprite art's
// promises: every picture distinct, the blight overlays ever denser.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "game/entity.h"
#include "game/sprites.h"
#include "garden_fixtures.h"

namespace
{

// Output pixel (u, v) of a mode reads the stored grid here (row, column).
void SourceOf(int mode, int n, int u, int v, int& r, int& c)
{
    switch (mode)
    {
    case 0: r = v; c = u; break;
    case 1: r = n - 1 - u; c = v; break;
    case 2: r = n - 1 - v; c = n - 1 - u; break;
    case 3: r = u; c = n - 1 - v; break;
    case 4: r = v; c = n - 1 - u; break;
    case 5: r = n - 1 - u; c = n - 1 - v; break;
    case 6: r = n - 1 - v; c = u; break;
    default: r = u; c = v; break;
    }
}

// What one drawSprite call must leave on a screen filled with `background`.
void ExpectDrawnAsTable(int index, int cx, int cy, int mode, bool opaque)
{
    const int8_t background = -1;
    std::fill(std::begin(ScreenBuffer), std::end(ScreenBuffer), background);
    drawSprite(index, cx, cy, mode, opaque);
    const int n = SpriteBank[index].size;
    const int h = n / 2;
    int8_t expected[ScreenPixels];
    std::fill(std::begin(expected), std::end(expected), background);
    for (int v = 0; v < n; ++v)
    {
        for (int u = 0; u < n; ++u)
        {
            const int x = cx - h + u;
            const int y = cy - h + v;
            if (!OnScreen(x, y))
            {
                continue;
            }
            int r = 0;
            int c = 0;
            SourceOf(mode, n, u, v, r, c);
            const int8_t value = SpritePixel(index, r, c);
            if (value != 0 || opaque)
            {
                expected[PixelOffset(x, y)] = value;
            }
        }
    }
    for (int i = 0; i < ScreenPixels; ++i)
    {
        ASSERT_EQ(ScreenBuffer[i], expected[i])
            << "sprite " << index << " at (" << cx << "," << cy << ") mode " << mode
            << " pixel (" << i / 96 << "," << i % 96 << ")";
    }
}

}  // namespace

TEST(DrawSprite, EveryOrientationReadsTheSourceAsTheTableSays)
{
    const int centres[][2] = {{20, 30}, {0, 0}, {127, 95}, {3, 90}, {125, 2}, {-5, 40}};
    for (int index : {SpriteGardener, SpriteCreature, SpriteFlyer, 18})
    {
        for (const auto& centre : centres)
        {
            for (int mode = 0; mode < 8; ++mode)
            {
                ExpectDrawnAsTable(index, centre[0], centre[1], mode, false);
                ExpectDrawnAsTable(index, centre[0], centre[1], mode, true);
            }
        }
    }
}

TEST(DrawSprite, ATwelvePixelSpriteAtSixSixFillsTheCornerCell)
{
    ClearScreen();
    drawSprite(3, 6, 6, OrientUpright, true);
    for (int x = 0; x < 14; ++x)
    {
        for (int y = 0; y < 14; ++y)
        {
            const bool inside = x < 12 && y < 12;
            EXPECT_EQ(Pixel(x, y), inside ? SpritePixel(3, 11 - y, x) : 0) << x << "," << y;
        }
    }
}

TEST(DrawSprite, TheFlyerChangesFivePixelsOrItsWholeSquareWhenOpaque)
{
    std::fill(std::begin(ScreenBuffer), std::end(ScreenBuffer), int8_t{4});
    drawSprite(SpriteFlyer, 50, 50, OrientUpright, false);
    EXPECT_EQ(std::count(std::begin(ScreenBuffer), std::end(ScreenBuffer), int8_t{7}), 5);
    std::fill(std::begin(ScreenBuffer), std::end(ScreenBuffer), int8_t{4});
    drawSprite(SpriteFlyer, 50, 50, OrientUpright, true);
    EXPECT_EQ(std::count(std::begin(ScreenBuffer), std::end(ScreenBuffer), int8_t{4}),
              ScreenPixels - 25);
}

TEST(DrawSprite, OutOfRangeIndicesDrawNothing)
{
    ClearScreen();
    drawSprite(-1, 50, 50, 6, true);
    drawSprite(SpriteCount, 50, 50, 6, true);
    drawSprite(0, 500, -500, 6, true);
    EXPECT_TRUE(std::all_of(std::begin(ScreenBuffer), std::end(ScreenBuffer),
                            [](int8_t p) { return p == 0; }));
}

TEST(SpriteArt, EveryPictureIsDistinct)
{
    std::set<std::string> seen;
    for (int i = 0; i < SpriteCount; ++i)
    {
        const auto* bytes = reinterpret_cast<const char*>(&SpriteBank[i]);
        EXPECT_TRUE(seen.insert(std::string(bytes, sizeof(SpriteRecord))).second) << i;
    }
}

TEST(SpriteArt, TheFlyerIsExactlyItsFivePixels)
{
    EXPECT_EQ(SpriteBank[SpriteFlyer].size, 5);
    int count = 0;
    for (int i = 0; i < 256; ++i)
    {
        count += SpriteBank[SpriteFlyer].pixels[i] != 0;
    }
    EXPECT_EQ(count, 5);
    for (int c : {0, 1, 3, 4})
    {
        EXPECT_EQ(SpritePixel(SpriteFlyer, 1, c), 7);
    }
    EXPECT_EQ(SpritePixel(SpriteFlyer, 2, 2), 7);
}

TEST(SpriteArt, BlightOverlaysGrowDenserAndLeaveMostOfTheTileVisible)
{
    int previous = 0;
    for (int i = SpriteBlightFirst; i < SpriteBlightFirst + 4; ++i)
    {
        int count = 0;
        for (int p = 0; p < 256; ++p)
        {
            count += SpriteBank[i].pixels[p] != 0;
        }
        EXPECT_GT(count, previous) << i;
        EXPECT_LT(count, 144 / 2) << i;
        previous = count;
    }
}
