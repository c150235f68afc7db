// The three behaviours: the gardener under the player's arrows, the creature's
// wandering and leaving, the flyer's pollination; what a death leaves: bursts
// of sparks, when they appear, what colour, how long they fly; and how they are
// drawn: the sprite blitter's eight orientations, clipping and bad indices, and
// entities at their sub-pixel positions.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

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

// What one drawSprite call, or `draw` standing in for it, must leave on a
// screen filled with -1.
void ExpectDrawnAsTable(int index, int cx, int cy, int mode, bool opaque, const std::function<void()>& draw = nullptr)
{
    std::fill(std::begin(ScreenBuffer), std::end(ScreenBuffer), int8_t{-1});
    draw ? draw() : drawSprite(index, cx, cy, mode, opaque);
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

// Holds an arrow until the gardener may step again, then lets it go.
void Hold(GameTitle& garden, int32_t button)
{
    garden.buttonDown(button);
    Steps(garden, 20);
    garden.buttonUp(button);
}

}  // namespace

TEST(Gardener, StaysOnTheBoardAndOffSolidTilesAndCreaturesButTurnsAndTheLatestArrowWins)
{
    auto garden = OpenEmptyGarden(31);
    Entity& gardener = Gardener(*garden);
    garden->tiles[CellIndex(1, 7)] = TileShrubN;
    Hold(*garden, ButtonUp);
    Hold(*garden, ButtonLeft);
    EXPECT_EQ(gardener.orientation, OrientMirrored);
    Hold(*garden, ButtonRight);
    EXPECT_EQ(gardener.orientation, OrientUpright);
    Entity& creature = garden->spawnEntity(EntityCreature, 0, 6);
    creature.timer = 1000;  // keep it standing there
    Hold(*garden, ButtonDown);
    EXPECT_EQ(CellOf(gardener), (Cell{0, 7}));

    // The latest arrow press wins (the shrub blocks the first), and releasing
    // it hands back to the one still held.
    garden->entities.erase(creature.id);
    garden->buttonDown(ButtonRight);
    garden->buttonDown(ButtonDown);
    garden->update();
    EXPECT_EQ(CellOf(gardener), (Cell{0, 6}));
    garden->buttonUp(ButtonDown);
    Steps(*garden, 20);
    EXPECT_GT(gardener.cellX, 0);
    EXPECT_EQ(gardener.cellY, 6);
}

TEST(Creature, AHungryCreatureOnTheCornerLeavesLeftAndVanishesWithoutSparks)
{
    auto garden = OpenEmptyGarden(34);
    Entity& creature = garden->spawnEntity(EntityCreature, 0, 0);
    creature.energy = -50;
    const uint32_t id = creature.id;
    garden->update();
    EXPECT_EQ(CellOf(creature), (Cell{-1, 0}));
    Steps(*garden, 27);
    ASSERT_EQ(garden->entities.count(id), 1u);
    garden->update();
    EXPECT_EQ(garden->entities.count(id), 0u);
    EXPECT_TRUE(garden->effects.empty());
}

TEST(Flyer, PollinatesCloseCellsTwiceAndNearOnesOnce)
{
    auto garden = NewGarden(38);
    garden->tiles[CellIndex(2, 2)] = TilePlantV2;  // distance 0
    garden->tiles[CellIndex(3, 2)] = TilePlantV2;  // distance 12
    garden->tiles[CellIndex(4, 2)] = TilePlantV2;  // distance 24
    garden->tiles[CellIndex(2, 3)] = TilePlantV3;  // grown: not pollinated
    garden->spawnEntity(EntityFlyer, 2, 2);
    garden->update();
    const std::vector<int32_t> growth = {garden->growth[CellIndex(2, 2)], garden->growth[CellIndex(3, 2)],
                                         garden->growth[CellIndex(4, 2)], garden->growth[CellIndex(2, 3)]};
    EXPECT_EQ(growth, (std::vector<int32_t>{2, 1, 0, 0}));
}

TEST(Sparks, AStarvingFlyerBurstsIntoSixteenRedOnesAfterTick832ThatFlyAHundredStepsOrToTheEdgeAndAreDrawnOnceMore)
{
    auto garden = NewGarden(11);
    Entity& flyer = garden->spawnEntity(EntityFlyer, 4, 4);
    Steps(*garden, 831);
    ASSERT_GT(flyer.hp, 0);
    garden->update();
    EXPECT_EQ(flyer.hp, -1) << "still here until the next update";
    EXPECT_TRUE(garden->effects.empty());
    garden->update();
    ASSERT_EQ(garden->effects.size(), 16u);
    const auto redAndSlow = [](const auto& spark)
    { return spark->colour == 7 && std::max(std::abs(spark->velX), std::abs(spark->velY)) <= 16; };
    EXPECT_TRUE(std::all_of(garden->effects.begin(), garden->effects.end(), redAndSlow));

    // Where a spark starts and how fast it flies -> the step it dies on and
    // where it lies then.
    struct Case { int32_t x, y, velX, velY; int diesAt; int32_t endX, endY; };
    const Case cases[] = {{4000, 3000, 1, 1, 100, 4100, 3100},   // its whole life
                          {64, 640, -16, 0, 5, 0, 640},          // at the left edge after 4 steps
                          {8190, 6140, 16, 16, 1, 8192, 6144}};  // clamped to the far corner at once
    GameState state;
    std::vector<Effect*> sparks;
    for (const Case& c : cases)
    {
        state.effects.push_back(std::make_unique<Effect>(
            Effect{EffectSpark, c.x, c.y, c.velX, c.velY, 8, EffectKinds[EffectSpark].startLife}));
        sparks.push_back(state.effects.back().get());
    }
    for (int step = 1; step <= 100; ++step)
    {
        state.update();
        for (size_t k = 0; k < sparks.size(); ++k)
        {
            if (step <= cases[k].diesAt)  // freed by the update after that
            {
                ASSERT_EQ(sparks[k]->dead, step == cases[k].diesAt) << "spark " << k << " step " << step;
                EXPECT_TRUE(step < cases[k].diesAt ||
                            (sparks[k]->posX == cases[k].endX && sparks[k]->posY == cases[k].endY)) << k;
            }
        }
        ClearScreenBuffer();
        state.drawEffects();
        EXPECT_TRUE(step != 1 || std::count(std::begin(ScreenBuffer), std::end(ScreenBuffer), 8) == 2)
            << "a spark on the far edge lies outside the picture";
        EXPECT_TRUE(step != 5 || ScreenBuffer[PixelOffset(0, 10)] == 8) << "a dead spark is still drawn until freed";
        EXPECT_TRUE(step != 99 || state.effects.size() == 1u);
    }
    state.update();
    EXPECT_TRUE(state.effects.empty());
}

TEST(DrawSprite, EveryOrientationReadsTheSourceAsTheTableSaysClipsAtTheEdgesAndEntitiesAreCentredOnTheirPixel)
{
    const int centres[][2] = {{20, 30}, {0, 0}, {127, 95}, {3, 90}, {-5, 40}, {500, -500}};
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
    // Indices outside the bank draw nothing.
    ClearScreenBuffer();
    drawSprite(-1, 50, 50, 6, true);
    drawSprite(SpriteCount, 50, 50, 6, true);
    EXPECT_EQ(std::count(std::begin(ScreenBuffer), std::end(ScreenBuffer), 0), ScreenPixels);

    // An entity half a pixel left of the screen is drawn centred on column 0.
    GameState state;
    Entity& gardener = state.spawnEntity(EntityGardener, 0, 3);
    gardener.posX = -32;
    gardener.orientation = OrientUpright;
    ExpectDrawnAsTable(SpriteGardener, 0, gardener.posY / 64, OrientUpright, false, [&] { state.drawEntities(); });
}
