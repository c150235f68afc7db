// The garden's two phases. Planting: the stock, placing and picking up tiles,
// the cursor, the side panel, and opening the garden. The running garden's
// tick: plant stages, blight welling up, spreading and clearing, when and
// where visitors arrive, and counters in very long games.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "garden_fixtures.h"
#include "gfx/font.h"
#include "tests/stock_panel.h"

TEST(Stock, HoldsThirtySixTilesWithAtLeastFourXSeedsAndABorderSource)
{
    for (unsigned seed = 1; seed <= 300; ++seed)
    {
        auto garden = NewGarden(seed);
        EXPECT_EQ(std::accumulate(std::begin(garden->tileStock), std::end(garden->tileStock), 0), 36);
        EXPECT_GE(garden->tileStock[1], 4);
        EXPECT_TRUE(OnBorder(garden->blightSourceX, garden->blightSourceY)) << seed;
    }
}

TEST(Placing, TheSameKeyPicksUpANewKeyReplacesAnEmptyStockRefusesAndAHeldArrowRepeats)
{
    auto garden = NewGarden(1);
    garden->tileStock[0] = garden->tileStock[1] = garden->tileStock[2] = 1;
    garden->buttonDown(ButtonX);
    EXPECT_EQ(garden->tiles[CellIndex(4, 4)], TileSeedX);
    EXPECT_EQ(garden->tileStock[1], 0);
    garden->buttonDown(ButtonX);
    EXPECT_EQ(garden->tiles[CellIndex(4, 4)], 0);
    EXPECT_EQ(garden->tileStock[1], 1);
    garden->buttonDown(ButtonZ);
    garden->buttonDown(ButtonC);
    EXPECT_EQ(garden->tiles[CellIndex(4, 4)], TileStone);
    EXPECT_EQ((std::pair{garden->tileStock[0], garden->tileStock[2]}), (std::pair{1, 0}));
    garden->cursorX = 0;
    garden->buttonDown(ButtonC);
    EXPECT_EQ(garden->tiles[CellIndex(0, 4)], 0);
    EXPECT_TRUE(garden->heldButtons.empty()) << "tile keys are never held";

    // A held arrow moves the cursor on ticks 1, 8 and 15, and stops at the edge;
    // two arrows combine into a diagonal.
    garden->cursorY = 0;
    garden->buttonDown(ButtonUp);
    for (int tick = 1; tick <= 15; ++tick)
    {
        garden->update();
        EXPECT_EQ(garden->cursorY, tick >= 15 ? 3 : tick >= 8 ? 2 : 1) << "tick " << tick;
    }
    Steps(*garden, 45);
    EXPECT_EQ(garden->cursorY, 7);
    garden = NewGarden(3);
    garden->buttonDown(ButtonDown);
    garden->buttonDown(ButtonRight);
    garden->update();
    EXPECT_EQ((std::pair{garden->cursorX, garden->cursorY}), (std::pair{5, 3}));
}

TEST(OpeningTheGarden, IsRefusedWhileTilesAreLeftThenSeedsBecomePlantsAndTheGardenerComes)
{
    auto garden = NewGarden(5);
    std::fill(std::begin(garden->tileStock), std::end(garden->tileStock), 0);
    garden->tileStock[6] = 1;
    garden->buttonDown(ButtonSpace);
    EXPECT_TRUE(garden->planting);
    garden->tileStock[6] = 0;

    int32_t* const column = &garden->tiles[CellIndex(1, 0)];
    std::iota(column, column + 8, 0);  // every tile code, up column 1
    garden->tiles[CellIndex(0, 7)] = TileStone;  // stone under the gardener's cell
    garden->buttonDown(ButtonSpace);
    ASSERT_FALSE(garden->planting);
    const int32_t opened[] = {TileEmpty, TileGroundCover, TilePlantX1, TileStone,
                              TilePlantV1, TilePlantB1, TileShrubN, TileShrubM};
    EXPECT_EQ(std::vector<int32_t>(column, column + 8), std::vector<int32_t>(std::begin(opened), std::end(opened)));
    ASSERT_EQ(garden->entities.size(), 1u);
    EXPECT_EQ(Gardener(*garden).type, EntityGardener);
    EXPECT_EQ(CellOf(Gardener(*garden)), (Cell{0, 7}));

    // Afterwards tile keys do nothing and Space is refused.
    garden->buttonDown(ButtonZ);
    garden->buttonDown(ButtonSpace);
    EXPECT_EQ(garden->tiles[CellIndex(4, 4)], 0);
    EXPECT_EQ(garden->entities.size(), 1u);
}

TEST(StockPanel, ShowsEveryCountAsItsDecimalNumberWholeAndApartFromTheX)
{
    auto garden = NewGarden(1);
    auto drawPanel = [&](int stock)
    {
        garden->tileStock[0] = stock;  // the top row, baseline 85
        ClearScreenBuffer();
        garden->draw();
        return std::vector<int8_t>(std::begin(ScreenBuffer), std::end(ScreenBuffer));
    };
    const std::vector<int8_t> reference = drawPanel(0);
    for (int stock : {9, 10, 12, 19, 29, 36})
    {
        const std::vector<int8_t> shown = drawPanel(stock);
        const auto count = ReadPanelRow(shown, 85, 2, StockTexts());
        ASSERT_EQ(count.size(), 1u) << "stock " << stock << " is unreadable";
        const auto& [digits, countColumn] = count[0];
        EXPECT_EQ(digits, std::to_string(stock));
        EXPECT_LE(countColumn + TextWidth(digits.c_str()) - 2, ScreenWidth - 1) << "stock " << stock << " is clipped";

        const auto cross = ReadPanelRow(shown, 85, 1, {"x"});
        ASSERT_EQ(cross.size(), 1u) << "stock " << stock;
        EXPECT_LT(cross[0].second + 3, countColumn) << "no blank column between the x and " << stock;
        EXPECT_TRUE(stock > 19 || (cross[0].second == 118 && countColumn == 122))
            << stock << " moved to " << cross[0].second << " and " << countColumn;

        // Only the count's own place, rows 85..89 right of column 115, may change.
        std::vector<int8_t> outside = shown;
        for (int x = 116; x < ScreenWidth; ++x)
        {
            std::copy_n(&reference[PixelOffset(x, 85)], 5, &outside[PixelOffset(x, 85)]);
        }
        ASSERT_EQ(outside, reference) << "stock " << stock << " changed the picture beyond its count";
    }
}

TEST(GardenTick, XNeverStartsOverWhileVAndBResetAndBlightAbove250ClearsAllButStoneAndCountersWrapAround)
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

    // Blight above 250 clears the tile but never the stone.
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
    const int32_t cell = CellIndex(6, 1);  // bare soil: growth only ever rises
    garden->growth[cell] = INT32_MAX - 3;
    garden->blight[CellIndex(garden->blightSourceX, garden->blightSourceY)] = INT32_MAX;
    Steps(*garden, 10, &GameTitle::gardenStep);
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
            EXPECT_TRUE(e->type != EntityCreature || (CellOf(*e) == Cell{3, 0} && e->orientation == OrientUpright));
        }
        arrived += CountOf(*garden, EntityCreature);
    }
    EXPECT_GE(arrived, 18) << "only a 1-in-64 draw turns it away";
}
