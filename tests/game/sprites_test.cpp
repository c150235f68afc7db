// The sprite blitter's eight orientations, clipping and bad indices, and
// entities drawn at their sub-pixel positions.
#include <gtest/gtest.h>

#include "game/game_state.h"
#include "game/sprites.h"
#include "garden_fixtures.h"
#include "gfx/screen_buffer.h"

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
    ASSERT_TRUE(std::equal(expected.begin(), expected.end(), std::begin(ScreenBuffer)))
        << "sprite " << index << " at (" << cx << "," << cy << ") mode " << mode;
}

}  // namespace

TEST(DrawSprite, EveryOrientationReadsTheSourceAsTheTableSaysClipsAtTheEdgesAndBadIndicesDrawNothing)
{
    const int centres[][2] = {{20, 30}, {0, 0}, {127, 95}, {3, 90}, {-5, 40}};
    for (int index : {SpriteGardener, SpriteCreature, SpriteFlyer, 3, 18})
    {
        for (const auto& centre : centres)
        {
            for (int mode = 0; mode < 16; ++mode)
            {
                ExpectDrawnAsTable(index, centre[0], centre[1], mode % 8, mode >= 8);
            }
        }
    }
    // Indices outside the bank draw nothing, nor does a sprite far off the screen.
    ClearScreenBuffer();
    drawSprite(-1, 50, 50, 6, true);
    drawSprite(SpriteCount, 50, 50, 6, true);
    drawSprite(0, 500, -500, 6, true);
    EXPECT_EQ(std::count(std::begin(ScreenBuffer), std::end(ScreenBuffer), 0), ScreenPixels);
}

TEST(EntityDrawing, HalfAPixelLeftOfTheScreenIsCentredOnColumnZero)
{
    GameState state;
    Entity& gardener = state.spawnEntity(EntityGardener, 0, 3);
    gardener.posX = -32;
    gardener.orientation = OrientUpright;
    ClearScreenBuffer();
    state.drawEntities();
    const std::vector<int8_t> drawn(std::begin(ScreenBuffer), std::end(ScreenBuffer));
    ClearScreenBuffer();
    drawSprite(SpriteGardener, 0, gardener.posY / 64, OrientUpright, false);
    EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), std::begin(ScreenBuffer)));
}
