// GameTitle: the garden, the one game mode the shell creates.
//
// Planting phase: the player moves a cursor over an 8 x 8 board and places a
// random stock of 36 tiles; Space then opens the garden. Running garden: plants
// grow, blight spreads, the gardener is steered and creatures and flyers come
// and go. Per-cell arrays keep cell (x, y) at x * 8 + y, y growing upward.
// game_title.cpp holds construction, buttons and drawing; board_sim.cpp the
// garden tick; creatures.cpp the three behaviours. Main thread only.
#pragma once

#include <cstdint>

#include "game/game_state.h"

constexpr int32_t BoardSize = 8;
constexpr int32_t BoardCells = BoardSize * BoardSize;
constexpr int32_t TileKinds = 7;     // placeable codes 1..7
constexpr int32_t TileCodeCount = 24;

inline int32_t CellIndex(int32_t x, int32_t y)
{
    return x * BoardSize + y;
}

inline bool OnBoard(int32_t x, int32_t y)
{
    return x >= 0 && x < BoardSize && y >= 0 && y < BoardSize;
}

inline bool OnBorder(int32_t x, int32_t y)
{
    return x == 0 || x == BoardSize - 1 || y == 0 || y == BoardSize - 1;
}

// Tiles that block gardener and creatures: the stone and the two shrubs.
inline constexpr bool SolidTiles[TileCodeCount] = {
    false, false, false, true, false, false, true, true,
    false, false, false, false, false, false, false, false,
    false, false, false, false, false, false, false, false,
};
static_assert(sizeof(SolidTiles) == TileCodeCount, "one flag per tile code");

// The stock is drawn from this table: ten 1s, eight 2s, five 3s, four 4s,
// two 5s, two 6s and one 7.
inline constexpr int32_t StockDrawTable[] = {
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    2, 2, 2, 2, 2, 2, 2, 2,
    3, 3, 3, 3, 3,
    4, 4, 4, 4,
    5, 5,
    6, 6,
    7,
};
static_assert(sizeof(StockDrawTable) / sizeof(StockDrawTable[0]) == 32, "32 entries");

class GameTitle : public GameState
{
public:
    GameTitle();

    void update() override;
    void draw() override;
    void buttonDown(int32_t button) override;

    void placeTile(int32_t code);
    void openGarden();
    void gardenStep();
    void spreadBlight(int32_t x, int32_t y);
    // The first entity, in id order, standing on cell (x, y), or none. The
    // cell may lie off the board.
    Entity* entityAt(int32_t x, int32_t y);

    int32_t tiles[BoardCells];
    int32_t growth[BoardCells];
    int32_t blight[BoardCells];        // never below 0, no upper bound
    int32_t tileStock[TileKinds];      // entry k: unplaced tiles of code k + 1
    int32_t cursorX = 4;
    int32_t cursorY = 4;
    bool planting = true;
    int32_t cursorRepeat = 0;          // ticks until held arrows move the cursor again
    int32_t blightSourceX = 0;
    int32_t blightSourceY = 0;
    uint32_t gardenTicks = 0;          // ticks of the running garden

private:
    void chooseBlightSource();
    void moveCursor();
    void drawBoard();
    void drawStockPanel();
    void drawStockCount(int32_t stock, int32_t y);
};
