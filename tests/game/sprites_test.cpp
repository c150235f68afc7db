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

// Where output pixel (u, v) of each orientation reads the stored grid, as
// {row, column}: each entry picks u, v or their mirror n - 1 - u, n - 1 - v.
enum Axis { U, V, MirrorU, MirrorV };
constexpr Axis Source[8][2] = {{V, U}, {MirrorU, V}, {MirrorV, MirrorU}, {U, MirrorV},
                               {V, MirrorU}, {MirrorU, MirrorV}, {MirrorV, U}, {U, V}};

int Pick(Axis axis, int n, int u, int v)
{
    return axis == U ? u : axis == V ? v : axis == MirrorU ? n - 1 - u : n - 1 - v;
}

// What one drawSprite call must leave on a screen filled with -1.
void ExpectDrawnAsTable(int index, int cx, int cy, int mode, bool opaque)
{
    std::fill(std::begin(ScreenBuffer), std::end(ScreenBuffer), int8_t{-1});
    drawSprite(index, cx, cy, mode, opaque);
    const int n = SpriteBank[index].size;
    std::vector<int8_t> expected(ScreenPixels, -1);
    for (int v = 0; v < n; ++v)
    {
        for (int u = 0; u < n; ++u)
        {
            const int x = cx - n / 2 + u;
            const int y = cy - n / 2 + v;
            const int8_t value = SpritePixel(index, Pick(Source[mode][0], n, u, v), Pick(Source[mode][1], n, u, v));
            if (OnScreen(x, y) && (value != 0 || opaque))
            {
                expected[PixelOffset(x, y)] = value;
            }
        }
    }
    for (int i = 0; i < ScreenPixels; ++i)
    {
        ASSERT_EQ(ScreenBuffer[i], expected[i]) << "sprite " << index << " at (" << cx << "," << cy
                                                << ") mode " << mode << " pixel " << i;
    }
}

}  // namespace

TEST(DrawSprite, EveryOrientationReadsTheSourceAsTheTableSaysAndClipsAtTheEdges)
{
    const int centres[][2] = {{20, 30}, {0, 0}, {127, 95}, {3, 90}, {125, 2}, {-5, 40}, {6, 6}};
    for (int index : {SpriteGardener, SpriteCreature, SpriteFlyer, 3, 18})
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

TEST(DrawSprite, OutOfRangeIndicesDrawNothing)
{
    ClearScreen();
    drawSprite(-1, 50, 50, 6, true);
    drawSprite(SpriteCount, 50, 50, 6, true);
    drawSprite(0, 500, -500, 6, true);
    EXPECT_TRUE(ScreenBlank());
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

TEST(SpriteArt, BlightOverlaysGrowDenserAndLeaveMostOfTheTileVisible)
{
    int previous = 0;
    for (int i = SpriteBlightFirst; i < SpriteBlightFirst + 4; ++i)
    {
        const int count = 256 - std::count(std::begin(SpriteBank[i].pixels), std::end(SpriteBank[i].pixels), 0);
        EXPECT_GT(count, previous) << i;
        EXPECT_LT(count, 144 / 2) << i;
        previous = count;
    }
}
