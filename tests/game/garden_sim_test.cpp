// The running garden's tick: plant stages, blight welling up, spreading and
// clearing, when and where visitors arrive, and counters in very long games.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "garden_fixtures.h"

TEST(PlantStages, XNeverStartsOverWhileVAndBResetAndShowTheirFirstStageNextTick)
{
    // {cell, tile, growth} -> tile after one step, growth reset?, tile after two.
    struct Case { int32_t cell, tile, growth, oneStep, twoSteps; bool reset; };
    const Case cases[] = {{CellIndex(2, 3), TilePlantX1, 60000, TilePlantX4, TilePlantX4, false},
                          {CellIndex(3, 3), TilePlantV3, 30000, TilePlantV3, TilePlantV1, true},
                          {CellIndex(4, 4), TilePlantB4, 35000, TilePlantB4, TilePlantB1, true}};
    auto garden = OpenEmptyGarden(22);
    for (const Case& c : cases)
    {
        garden->tiles[c.cell] = c.tile;
        garden->growth[c.cell] = c.growth;
    }
    for (int step = 1; step <= 2; ++step)
    {
        garden->gardenStep();
        for (const Case& c : cases)
        {
            EXPECT_EQ(garden->tiles[c.cell], step == 1 ? c.oneStep : c.twoSteps) << c.tile << " step " << step;
            EXPECT_TRUE(step == 2 || (garden->growth[c.cell] == 0) == c.reset) << c.tile;
        }
    }
}

TEST(Blight, AboveTwoHundredFiftyItClearsTheTileButNeverTheStoneAndItsCountersWrapAround)
{
    auto garden = OpenEmptyGarden(25);
    garden->entities.clear();
    garden->blightSourceX = 7;
    garden->blightSourceY = 3;
    garden->gardenTicks = 1;
    const int32_t shrub = CellIndex(0, 0), stone = CellIndex(5, 5), plant = CellIndex(2, 5);
    garden->tiles[shrub] = TileShrubM;
    garden->tiles[stone] = TileStone;
    garden->tiles[plant] = TilePlantV2;
    garden->blight[shrub] = garden->blight[stone] = 700;
    garden->blight[plant] = 300;
    garden->gardenStep();
    EXPECT_EQ((std::vector<int32_t>{garden->tiles[shrub], garden->tiles[stone], garden->tiles[plant]}),
              (std::vector<int32_t>{TileEmpty, TileStone, TileEmpty}));
    // A corner spreads only to its two neighbours.
    EXPECT_EQ(garden->blight[CellIndex(1, 1)], 0);
    EXPECT_LE(std::max(garden->blight[CellIndex(1, 0)], garden->blight[CellIndex(0, 1)]), 2);

    // In very long games counters without a limit wrap around instead of
    // overflowing.
    const int32_t cell = CellIndex(3, 3);  // bare soil: growth only ever rises
    garden->growth[cell] = INT32_MAX - 3;
    garden->blight[CellIndex(garden->blightSourceX, garden->blightSourceY)] = INT32_MAX;
    for (int t = 0; t < 10; ++t)
    {
        garden->gardenStep();
    }
    EXPECT_LT(garden->growth[cell], 0);
    EXPECT_EQ(garden->tiles[cell], TileEmpty);
}

TEST(Arrivals, ACreatureComesAtTick512ToTheOneFreeGroundCoverCell)
{
    int arrived = 0;
    for (unsigned seed = 1; seed <= 20; ++seed)
    {
        auto garden = OpenEmptyGarden(seed);
        for (int cell = 0; cell < 64; ++cell)  // solid stone on every other border cell
        {
            garden->tiles[cell] = OnBorder(cell / 8, cell % 8) ? TileStone : TileEmpty;
        }
        garden->tiles[CellIndex(3, 0)] = TileGroundCover;
        garden->gardenTicks = 511;
        garden->gardenStep();
        EXPECT_EQ(CountOf(*garden, EntityCreature), 0);
        garden->gardenStep();
        for (const auto& [id, e] : garden->entities)
        {
            if (e->type == EntityCreature)
            {
                EXPECT_EQ(CellOf(*e), (Cell{3, 0}));
                EXPECT_EQ(e->orientation, OrientUpright);
                ++arrived;
            }
        }
    }
    EXPECT_GE(arrived, 18) << "only a 1-in-64 draw turns it away";
}
