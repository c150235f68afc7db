// The three behaviours: the gardener under the player's arrows, the creature's
// wandering and leaving, the flyer's pollination.
#include <gtest/gtest.h>

#include <vector>

#include "game/sprites.h"
#include "garden_fixtures.h"

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

TEST(Gardener, StaysOnTheBoardAndOffSolidTilesAndCreaturesButStillTurns)
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
}

TEST(Gardener, TheLatestArrowPressWinsAndReleasingItHandsBack)
{
    auto garden = OpenEmptyGarden(32);
    Entity& gardener = Gardener(*garden);
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
