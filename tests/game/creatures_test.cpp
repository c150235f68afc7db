// The three behaviours: the gardener under the player's arrows, the creature's
// wandering and leaving, the flyer's pollination; and what a death leaves:
// bursts of sparks, when they appear, what colour, how long they fly.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/game_state.h"
#include "game/sprites.h"
#include "garden_fixtures.h"
#include "gfx/screen_buffer.h"

namespace
{

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

    // The latest arrow press wins, and releasing it hands back to the one held.
    PlaceAtRest(gardener, 3, 3);
    garden->buttonDown(ButtonLeft);
    garden->buttonDown(ButtonUp);
    garden->update();
    EXPECT_EQ(CellOf(gardener), (Cell{3, 4}));
    garden->buttonUp(ButtonUp);
    Steps(*garden, 20);
    EXPECT_LT(gardener.cellX, 3);
    EXPECT_EQ(gardener.cellY, 4);
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

TEST(DeathBurst, AStarvingFlyerHitsZeroOnTick832AndBurstsIntoSixteenRedSparks)
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
    for (const auto& spark : garden->effects)
    {
        EXPECT_EQ(spark->colour, 7);
        EXPECT_LE(std::max(std::abs(spark->velX), std::abs(spark->velY)), 16);
    }
}

TEST(Sparks, FlyExactlyOneHundredStepsOrUntilClampedToTheEdgeAndAreDrawnOnceMore)
{
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
        if (step == 1)
        {
            EXPECT_EQ(std::count(std::begin(ScreenBuffer), std::end(ScreenBuffer), 8), 2)
                << "a spark on the far edge lies outside the picture";
        }
        EXPECT_TRUE(step != 5 || ScreenBuffer[PixelOffset(0, 10)] == 8) << "a dead spark is still drawn until freed";
        EXPECT_TRUE(step != 99 || state.effects.size() == 1u);
    }
    state.update();
    EXPECT_TRUE(state.effects.empty());
}
