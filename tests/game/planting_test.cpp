// The planting phase: the stock, placing and picking up tiles, the cursor, and
// opening the garden. The play-through reads the side panel.
#include <gtest/gtest.h>

#include <algorithm>
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
        if (stock <= 19)
        {
            EXPECT_EQ((std::pair{cross[0].second, countColumn}), (std::pair{118, 122})) << stock << " moved";
        }

        // Only the count's own place, rows 85..89 right of column 115, may change.
        std::vector<int8_t> outside = shown;
        for (int x = 116; x < ScreenWidth; ++x)
        {
            std::copy_n(&reference[PixelOffset(x, 85)], 5, &outside[PixelOffset(x, 85)]);
        }
        ASSERT_EQ(outside, reference) << "stock " << stock << " changed the picture beyond its count";
    }
}
