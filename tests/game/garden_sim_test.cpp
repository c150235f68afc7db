// The running garden's tick: plant stages, blight welling up, spreading and
// clearing, and when and where visitors arrive.
#include <gtest/gtest.h>

#include <cstdint>

#include "garden_fixtures.h"

namespace
{

int32_t XStage(int32_t g)
{
    return g < 1000 ? 8 : g < 2500 ? 9 : g < 4500 ? 10 : 11;
}

int Count(const GameTitle& garden, int32_t type)
{
    int count = 0;
    for (const auto& [id, e] : garden.entities)
    {
        count += e->type == type;
    }
    return count;
}

// Solid stone on every border cell except the ones the test opens.
void WallTheBorder(GameTitle& garden)
{
    for (int x = 0; x < 8; ++x)
    {
        for (int y = 0; y < 8; ++y)
        {
            if (OnBorder(x, y))
            {
                garden.tiles[CellIndex(x, y)] = 3;
            }
        }
    }
}

}  // namespace

TEST(PlantStages, TheXPlantFollowsItsGrowthAndNeverStartsOver)
{
    auto garden = OpenEmptyGarden(21);
    garden->entities.clear();
    const int32_t starts[] = {990, 995, 2490, 2495, 4490, 4495, 60000, 0};
    for (int x = 0; x < 8; ++x)
    {
        garden->tiles[CellIndex(x, 3)] = 8;
        garden->growth[CellIndex(x, 3)] = starts[x];
    }
    for (int t = 0; t < 30; ++t)
    {
        garden->gardenStep();
        for (int x = 0; x < 8; ++x)
        {
            const int32_t cell = CellIndex(x, 3);
            ASSERT_EQ(garden->tiles[cell], XStage(garden->growth[cell])) << x << " after " << t;
        }
    }
    EXPECT_EQ(garden->tiles[CellIndex(6, 3)], 11);
    EXPECT_GE(garden->growth[CellIndex(6, 3)], 60000);
}

TEST(PlantStages, TheVPlantResetsAtThirtyThousandAndShowsTwelveNextTick)
{
    auto garden = OpenEmptyGarden(22);
    const int32_t cell = CellIndex(3, 3);
    garden->tiles[cell] = 14;
    garden->growth[cell] = 30000;
    const int32_t bPlant = CellIndex(4, 4);
    garden->tiles[bPlant] = 18;
    garden->growth[bPlant] = 35000;
    garden->gardenStep();
    EXPECT_EQ(garden->tiles[cell], 14);
    EXPECT_EQ(garden->growth[cell], 0);
    EXPECT_EQ(garden->tiles[bPlant], 18);
    EXPECT_EQ(garden->growth[bPlant], 0);
    garden->gardenStep();
    EXPECT_EQ(garden->tiles[cell], 12);
    EXPECT_EQ(garden->tiles[bPlant], 15);
}

TEST(PlantStages, VAndBPlantsFollowTheirThresholds)
{
    auto garden = OpenEmptyGarden(23);
    garden->entities.clear();
    const int32_t vStarts[] = {4990, 9990, 20000, 0};
    const int32_t bStarts[] = {6990, 13990, 20990, 30000};
    for (int x = 0; x < 4; ++x)
    {
        garden->tiles[CellIndex(x, 2)] = 12;
        garden->growth[CellIndex(x, 2)] = vStarts[x];
        garden->tiles[CellIndex(x + 4, 2)] = 15;
        garden->growth[CellIndex(x + 4, 2)] = bStarts[x];
    }
    for (int t = 0; t < 30; ++t)
    {
        garden->gardenStep();
        for (int x = 0; x < 4; ++x)
        {
            const int32_t v = garden->growth[CellIndex(x, 2)];
            const int32_t b = garden->growth[CellIndex(x + 4, 2)];
            ASSERT_EQ(garden->tiles[CellIndex(x, 2)], v < 5000 ? 12 : v < 10000 ? 13 : 14);
            ASSERT_EQ(garden->tiles[CellIndex(x + 4, 2)],
                      b < 7000 ? 15 : b < 14000 ? 16 : b < 21000 ? 17 : 18);
        }
    }
}

TEST(Blight, WellsUpOnlyAtTheSourceWhileItIsLow)
{
    auto garden = OpenEmptyGarden(24);
    garden->entities.clear();
    garden->gardenTicks = 1;  // the source may move only at multiples of 128
    const int32_t source = CellIndex(garden->blightSourceX, garden->blightSourceY);
    for (int t = 0; t < 40; ++t)
    {
        garden->gardenStep();
    }
    EXPECT_GE(garden->blight[source], 40);
    EXPECT_LE(garden->blight[source], 50);
    for (int32_t cell = 0; cell < BoardCells; ++cell)
    {
        if (cell != source)
        {
            EXPECT_EQ(garden->blight[cell], 0) << cell;
        }
    }
}

TEST(Blight, AboveSixHundredItClearsTheTileButNeverTheStone)
{
    auto garden = OpenEmptyGarden(25);
    garden->entities.clear();
    garden->blightSourceX = 7;
    garden->blightSourceY = 3;
    garden->gardenTicks = 1;
    garden->tiles[CellIndex(0, 0)] = 7;
    garden->blight[CellIndex(0, 0)] = 700;
    garden->tiles[CellIndex(5, 5)] = 3;
    garden->blight[CellIndex(5, 5)] = 700;
    garden->tiles[CellIndex(2, 5)] = 13;
    garden->blight[CellIndex(2, 5)] = 300;
    garden->gardenStep();
    EXPECT_EQ(garden->tiles[CellIndex(0, 0)], 0);
    EXPECT_EQ(garden->tiles[CellIndex(5, 5)], 3);
    EXPECT_EQ(garden->tiles[CellIndex(2, 5)], 0) << "251..600 clears too";
    // A corner spreads only to its two neighbours; nothing else near it.
    EXPECT_EQ(garden->blight[CellIndex(1, 1)], 0);
    EXPECT_LE(garden->blight[CellIndex(1, 0)], 2);
    EXPECT_LE(garden->blight[CellIndex(0, 1)], 2);
}

TEST(Arrivals, ACreatureComesAtTick512ToTheOneFreeGroundCoverCell)
{
    int arrived = 0;
    for (unsigned seed = 1; seed <= 20; ++seed)
    {
        auto garden = OpenEmptyGarden(seed);
        WallTheBorder(*garden);
        garden->tiles[CellIndex(3, 0)] = 1;
        garden->tiles[CellIndex(0, 7)] = 3;  // under the gardener: not free anyway
        garden->gardenTicks = 511;
        garden->gardenStep();
        EXPECT_EQ(Count(*garden, EntityCreature), 0);
        garden->gardenStep();
        for (const auto& [id, e] : garden->entities)
        {
            if (e->type == EntityCreature)
            {
                EXPECT_EQ(e->cellX, 3);
                EXPECT_EQ(e->cellY, 0);
                EXPECT_EQ(e->orientation, 6);
                ++arrived;
            }
        }
    }
    EXPECT_GE(arrived, 18) << "only a 1-in-64 draw turns it away";
}

TEST(Arrivals, NoCreatureComesWhenEveryBorderCellIsTakenOrSolid)
{
    auto garden = OpenEmptyGarden(27);
    WallTheBorder(*garden);
    garden->tiles[CellIndex(0, 7)] = 1;  // the gardener stands here
    garden->tiles[CellIndex(7, 7)] = 1;
    garden->spawnEntity(EntityFlyer, 7, 7);  // any entity makes a cell taken
    garden->gardenTicks = 512;
    garden->gardenStep();
    EXPECT_EQ(Count(*garden, EntityCreature), 0);
}

TEST(Arrivals, CreaturesEvery2048TicksFrom512AndFlyersEvery8000From600)
{
    auto garden = OpenEmptyGarden(28);
    const uint32_t quiet[] = {0, 511, 513, 599, 601, 2047, 2559, 8599};
    for (uint32_t t : quiet)
    {
        garden->gardenTicks = t;
        garden->gardenStep();
    }
    EXPECT_EQ(garden->entities.size(), 1u);

    garden->gardenTicks = 600;
    garden->gardenStep();
    EXPECT_EQ(Count(*garden, EntityFlyer), 1);
    const Entity& flyer = *garden->entities.rbegin()->second;
    EXPECT_EQ(flyer.cellX, 8);
    EXPECT_EQ(flyer.cellY, 0);
    EXPECT_EQ(flyer.orientation, 6);
    garden->gardenTicks = 8600;
    garden->gardenStep();
    EXPECT_EQ(Count(*garden, EntityFlyer), 2);

    for (uint32_t t : {512u, 2560u, 4608u})
    {
        garden->gardenTicks = t;
        garden->gardenStep();
    }
    EXPECT_EQ(Count(*garden, EntityCreature), 3) << "the empty border is bare soil";
    EXPECT_EQ(garden->gardenTicks, 4609u);
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
