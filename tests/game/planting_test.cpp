// The planting phase: the stock, placing and picking up tiles, the cursor,
// the side panel, and opening the garden.
#include <gtest/gtest.h>

#include <numeric>

#include "game/sprites.h"
#include "gfx/font.h"
#include "garden_fixtures.h"

namespace
{

// True when the 5 x 6 text cell at (x, y) holds exactly what DrawText draws
// for `text` there on an otherwise empty screen.
bool PanelShows(int x, int y, const char* text, int8_t colour)
{
    const std::vector<int8_t> drawn(std::begin(ScreenBuffer), std::end(ScreenBuffer));
    ClearScreen();
    DrawText(text, x, y, colour, 1);
    bool same = true;
    for (int cx = x; cx < x + 5 && cx < ScreenWidth; ++cx)
    {
        for (int cy = y; cy < y + 6; ++cy)
        {
            same = same && drawn[PixelOffset(cx, cy)] == Pixel(cx, cy);
        }
    }
    std::copy(drawn.begin(), drawn.end(), std::begin(ScreenBuffer));
    return same;
}

}  // namespace

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

TEST(Placing, TheSameKeyPicksUpANewKeyReplacesAndAnEmptyStockRefuses)
{
    auto garden = NewGarden(1);
    garden->tileStock[0] = garden->tileStock[1] = garden->tileStock[2] = 1;
    garden->buttonDown(ButtonX);
    EXPECT_EQ(garden->tiles[CellIndex(4, 4)], 2);
    EXPECT_EQ(garden->tileStock[1], 0);
    garden->buttonDown(ButtonX);
    EXPECT_EQ(garden->tiles[CellIndex(4, 4)], 0);
    EXPECT_EQ(garden->tileStock[1], 1);

    garden->buttonDown(ButtonZ);
    garden->buttonDown(ButtonC);
    EXPECT_EQ(garden->tiles[CellIndex(4, 4)], 3);
    EXPECT_EQ(garden->tileStock[0], 1);
    EXPECT_EQ(garden->tileStock[2], 0);
    garden->cursorX = 0;
    garden->buttonDown(ButtonC);
    EXPECT_EQ(garden->tiles[CellIndex(0, 4)], 0);
    EXPECT_TRUE(garden->heldButtons.empty()) << "tile keys are never held";
}

TEST(Cursor, AHeldArrowMovesOnTicksOneEightAndFifteenStopsAtTheEdgeAndCombinesDiagonally)
{
    auto garden = NewGarden(3);
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
    garden->buttonDown(ButtonUp);
    garden->buttonDown(ButtonRight);
    garden->update();
    EXPECT_EQ(garden->cursorX, 5);
    EXPECT_EQ(garden->cursorY, 5);
}

TEST(OpeningTheGarden, IsRefusedWhileTilesAreLeftThenSeedsBecomePlantsAndTheGardenerComes)
{
    auto garden = NewGarden(5);
    std::fill(std::begin(garden->tileStock), std::end(garden->tileStock), 0);
    garden->tileStock[6] = 1;
    garden->buttonDown(ButtonSpace);
    EXPECT_TRUE(garden->planting);
    garden->tileStock[6] = 0;

    for (int x = 0; x < 8; ++x)
    {
        garden->tiles[CellIndex(x, 0)] = x;
    }
    garden->tiles[CellIndex(0, 7)] = 3;  // stone under the gardener's cell
    garden->buttonDown(ButtonSpace);
    ASSERT_FALSE(garden->planting);
    const int32_t opened[] = {0, 1, 8, 3, 12, 15, 6, 7};
    for (int x = 0; x < 8; ++x)
    {
        EXPECT_EQ(garden->tiles[CellIndex(x, 0)], opened[x]);
    }
    ASSERT_EQ(garden->entities.size(), 1u);
    const Entity& gardener = Gardener(*garden);
    EXPECT_EQ(gardener.type, EntityGardener);
    EXPECT_EQ(CellOf(gardener), (Cell{0, 7}));
    EXPECT_EQ(gardener.orientation, OrientUpright);

    // Afterwards tile keys do nothing and Space is refused.
    garden->buttonDown(ButtonZ);
    garden->buttonDown(ButtonSpace);
    EXPECT_EQ(garden->tiles[CellIndex(4, 4)], 0);
    EXPECT_EQ(garden->entities.size(), 1u);
}

TEST(SidePanel, ShowsCountsAsDigitsUpToNineAndLettersFromTen)
{
    auto garden = NewGarden(6);
    garden->tileStock[0] = 12;
    garden->tileStock[1] = 9;
    garden->tileStock[2] = 10;
    ClearScreen();
    garden->draw();
    EXPECT_TRUE(PanelShows(122, 85, "D", 2));
    EXPECT_TRUE(PanelShows(122, 72, "9", 2));
    EXPECT_TRUE(PanelShows(122, 59, "B", 2));
    EXPECT_TRUE(PanelShows(98, 85, "z", 5));
}
