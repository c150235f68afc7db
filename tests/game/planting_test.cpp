// The planting phase: the stock, placing and picking up tiles, the cursor,
// the side panel, and opening the garden.
#include <gtest/gtest.h>

#include <numeric>

#include "game/sprites.h"
#include "gfx/font.h"
#include "garden_fixtures.h"

TEST(Stock, HoldsThirtySixTilesWithAtLeastFourXSeedsAndABorderSource)
{
    for (unsigned seed = 1; seed <= 300; ++seed)
    {
        auto garden = NewGarden(seed);
        EXPECT_EQ(std::accumulate(std::begin(garden->tileStock), std::end(garden->tileStock), 0), 36);
        EXPECT_GE(garden->tileStock[1], 4);
        EXPECT_TRUE(OnBoard(garden->blightSourceX, garden->blightSourceY));
        EXPECT_TRUE(OnBorder(garden->blightSourceX, garden->blightSourceY)) << seed;
        EXPECT_TRUE(garden->planting);
        EXPECT_EQ(garden->cursorX, 4);
        EXPECT_EQ(garden->cursorY, 4);
    }
}

TEST(Placing, TheSameKeyTwicePicksTheTileBackUp)
{
    auto garden = NewGarden(1);
    const int32_t before = garden->tileStock[1];
    garden->buttonDown(ButtonX);
    EXPECT_EQ(garden->tiles[CellIndex(4, 4)], 2);
    EXPECT_EQ(garden->tileStock[1], before - 1);
    garden->buttonDown(ButtonX);
    EXPECT_EQ(garden->tiles[CellIndex(4, 4)], 0);
    EXPECT_EQ(garden->tileStock[1], before);
}

TEST(Placing, ANewCodeReplacesTheTileAndReturnsItToTheStock)
{
    auto garden = NewGarden(2);
    garden->tileStock[0] = 1;
    garden->tileStock[2] = 1;
    garden->buttonDown(ButtonZ);
    garden->buttonDown(ButtonC);
    EXPECT_EQ(garden->tiles[CellIndex(4, 4)], 3);
    EXPECT_EQ(garden->tileStock[0], 1);
    EXPECT_EQ(garden->tileStock[2], 0);

    // None of code 3 left elsewhere: refused, board unchanged.
    garden->cursorX = 0;
    garden->buttonDown(ButtonC);
    EXPECT_EQ(garden->tiles[CellIndex(0, 4)], 0);
    EXPECT_EQ(garden->tileStock[2], 0);
    EXPECT_TRUE(garden->heldButtons.empty()) << "tile keys are never held";
}

TEST(Cursor, AHeldArrowMovesOnTicksOneEightAndFifteenAndStopsAtTheEdge)
{
    auto garden = NewGarden(3);
    garden->cursorY = 0;
    garden->buttonDown(ButtonUp);
    for (int tick = 1; tick <= 15; ++tick)
    {
        garden->update();
        const int expected = tick >= 15 ? 3 : tick >= 8 ? 2 : 1;
        EXPECT_EQ(garden->cursorY, expected) << "tick " << tick;
    }
    for (int tick = 16; tick <= 60; ++tick)
    {
        garden->update();
    }
    EXPECT_EQ(garden->cursorY, 7);
}

TEST(Cursor, ArrowsHeldTogetherMoveDiagonally)
{
    auto garden = NewGarden(3);
    garden->buttonDown(ButtonUp);
    garden->buttonDown(ButtonRight);
    garden->update();
    EXPECT_EQ(garden->cursorX, 5);
    EXPECT_EQ(garden->cursorY, 5);
}

TEST(OpeningTheGarden, IsRefusedWhileTilesAreLeft)
{
    auto garden = NewGarden(4);
    std::fill(std::begin(garden->tileStock), std::end(garden->tileStock), 0);
    garden->tileStock[6] = 1;
    garden->buttonDown(ButtonSpace);
    EXPECT_TRUE(garden->planting);
    EXPECT_TRUE(garden->entities.empty());
}

TEST(OpeningTheGarden, TurnsSeedsIntoPlantsAndPutsTheGardenerTopLeftEvenOnStone)
{
    auto garden = NewGarden(5);
    std::fill(std::begin(garden->tileStock), std::end(garden->tileStock), 0);
    const int32_t codes[] = {0, 1, 2, 3, 4, 5, 6, 7};
    for (int x = 0; x < 8; ++x)
    {
        garden->tiles[CellIndex(x, 0)] = codes[x];
    }
    garden->tiles[CellIndex(0, 7)] = 3;
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
    EXPECT_EQ(gardener.cellX, 0);
    EXPECT_EQ(gardener.cellY, 7);
    EXPECT_EQ(gardener.orientation, OrientUpright);

    // Afterwards tile keys do nothing and Space is refused.
    garden->buttonDown(ButtonZ);
    garden->buttonDown(ButtonSpace);
    EXPECT_EQ(garden->tiles[CellIndex(4, 4)], 0);
    EXPECT_EQ(garden->entities.size(), 1u);
}

namespace
{

// True when the 5 x 6 text cell at (x, y) on screen holds exactly what
// DrawText draws for `text` there on an otherwise empty screen.
bool PanelShows(int x, int y, const char* text, int8_t colour)
{
    int8_t drawn[ScreenPixels];
    std::copy(std::begin(ScreenBuffer), std::end(ScreenBuffer), drawn);
    ClearScreen();
    DrawText(text, x, y, colour, 1);
    bool same = true;
    for (int cx = x; cx < x + 5 && cx < ScreenWidth; ++cx)
    {
        for (int cy = y; cy < y + 6; ++cy)
        {
            same = same && drawn[PixelOffset(cx, cy)] == ScreenBuffer[PixelOffset(cx, cy)];
        }
    }
    std::copy(std::begin(drawn), std::end(drawn), std::begin(ScreenBuffer));
    return same;
}

}  // namespace

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
    EXPECT_EQ(Pixel(110, 87), SpritePixel(1, 6, 6)) << "tile 1 drawn opaque beside its key";
    for (int y = 0; y < ScreenHeight; ++y)
    {
        ASSERT_EQ(Pixel(96, y), 3);
    }
    // The cursor outline round cell (4, 4).
    EXPECT_EQ(Pixel(48, 48), 6);
    EXPECT_EQ(Pixel(59, 59), 6);
    EXPECT_EQ(Pixel(53, 59), 6);
}

TEST(SidePanel, AnEmptyStockAsksForSpaceAndTheRunningGardenShowsPlainBrown)
{
    auto garden = NewGarden(7);
    std::fill(std::begin(garden->tileStock), std::end(garden->tileStock), 0);
    garden->tiles[CellIndex(3, 0)] = 3;
    ClearScreen();
    garden->draw();
    int gold = 0;
    for (int x = 10; x <= 117; ++x)
    {
        for (int y = 2; y <= 9; ++y)
        {
            const int8_t p = Pixel(x, y);
            EXPECT_TRUE(p == 0 || p == 8) << x << "," << y;
            gold += p == 8;
        }
    }
    EXPECT_GT(gold, 40);

    garden->openGarden();
    ClearScreen();
    garden->draw();
    for (int x = 97; x < ScreenWidth; ++x)
    {
        for (int y = 0; y < ScreenHeight; ++y)
        {
            ASSERT_EQ(Pixel(x, y), 1);
        }
    }
}
