// The running garden's tick: plant stages, blight welling up, spreading and
// clearing, when and where visitors arrive, and counters in very long games.
#include <gtest/gtest.h>

#include <cstdint>

#include "garden_fixtures.h"

namespace
{

// Solid stone on every border cell.
void WallTheBorder(GameTitle& garden)
{
    for (int x = 0; x < 8; ++x)
    {
        for (int y = 0; y < 8; ++y)
        {
            garden.tiles[CellIndex(x, y)] = OnBorder(x, y) ? 3 : garden.tiles[CellIndex(x, y)];
        }
    }
}

}  // namespace

TEST(PlantStages, XNeverStartsOverWhileVAndBResetAndShowTheirFirstStageNextTick)
{
    auto garden = OpenEmptyGarden(22);
    const int32_t x = CellIndex(2, 3), v = CellIndex(3, 3), b = CellIndex(4, 4);
    garden->tiles[x] = 8;
    garden->growth[x] = 60000;
    garden->tiles[v] = 14;
    garden->growth[v] = 30000;
    garden->tiles[b] = 18;
    garden->growth[b] = 35000;
    garden->gardenStep();
    EXPECT_EQ(garden->tiles[x], 11);
    EXPECT_GE(garden->growth[x], 60000);
    EXPECT_EQ(garden->tiles[v], 14);
    EXPECT_EQ(garden->growth[v], 0);
    EXPECT_EQ(garden->tiles[b], 18);
    EXPECT_EQ(garden->growth[b], 0);
    garden->gardenStep();
    EXPECT_EQ(garden->tiles[x], 11);
    EXPECT_EQ(garden->tiles[v], 12);
    EXPECT_EQ(garden->tiles[b], 15);
}

TEST(Blight, AboveTwoHundredFiftyItClearsTheTileButNeverTheStone)
{
    auto garden = OpenEmptyGarden(25);
    garden->entities.clear();
    garden->blightSourceX = 7;
    garden->blightSourceY = 3;
    garden->gardenTicks = 1;
    const int32_t shrub = CellIndex(0, 0), stone = CellIndex(5, 5), plant = CellIndex(2, 5);
    garden->tiles[shrub] = 7;
    garden->blight[shrub] = 700;
    garden->tiles[stone] = 3;
    garden->blight[stone] = 700;
    garden->tiles[plant] = 13;
    garden->blight[plant] = 300;
    garden->gardenStep();
    EXPECT_EQ(garden->tiles[shrub], 0);
    EXPECT_EQ(garden->tiles[stone], 3);
    EXPECT_EQ(garden->tiles[plant], 0);
    // A corner spreads only to its two neighbours.
    EXPECT_EQ(garden->blight[CellIndex(1, 1)], 0);
    EXPECT_LE(garden->blight[CellIndex(1, 0)], 2);
    EXPECT_LE(garden->blight[CellIndex(0, 1)], 2);
}

TEST(Arrivals, ACreatureComesAtTick512ToTheOneFreeGroundCoverCellOrNowhere)
{
    int arrived = 0;
    for (unsigned seed = 1; seed <= 20; ++seed)
    {
        auto garden = OpenEmptyGarden(seed);
        WallTheBorder(*garden);
        garden->tiles[CellIndex(3, 0)] = 1;
        garden->gardenTicks = 511;
        garden->gardenStep();
        EXPECT_EQ(CountOf(*garden, EntityCreature), 0);
        garden->gardenStep();
        for (const auto& [id, e] : garden->entities)
        {
            if (e->type == EntityCreature)
            {
                EXPECT_EQ(CellOf(*e), (Cell{3, 0}));
                EXPECT_EQ(e->orientation, 6);
                ++arrived;
            }
        }
    }
    EXPECT_GE(arrived, 18) << "only a 1-in-64 draw turns it away";

    // Every border cell taken (by the gardener, by a flyer) or solid: nobody comes.
    auto garden = OpenEmptyGarden(27);
    WallTheBorder(*garden);
    garden->tiles[CellIndex(0, 7)] = 1;
    garden->tiles[CellIndex(7, 7)] = 1;
    garden->spawnEntity(EntityFlyer, 7, 7);
    garden->gardenTicks = 512;
    garden->gardenStep();
    EXPECT_EQ(CountOf(*garden, EntityCreature), 0);
}

TEST(LongGames, CountersWithoutALimitWrapAroundInsteadOfOverflowing)
{
    auto garden = OpenEmptyGarden(29);
    garden->entities.clear();
    garden->gardenTicks = 1;
    const int32_t cell = CellIndex(3, 3);  // bare soil: growth only ever rises
    garden->growth[cell] = INT32_MAX - 3;
    garden->blight[CellIndex(garden->blightSourceX, garden->blightSourceY)] = INT32_MAX;
    for (int t = 0; t < 10; ++t)
    {
        garden->gardenStep();
    }
    EXPECT_LT(garden->growth[cell], 0);
    EXPECT_EQ(garden->tiles[cell], 0);
}
