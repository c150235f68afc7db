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

// What lies on a cell; also the SpriteBank index drawn for it. Codes 1..7 are
// placed with Z..M; the garden turns each seed into the first stage of its
// plant when it opens, and growth moves a plant through its stages.
enum TileCode : int32_t
{
    TileEmpty = 0,
    TileGroundCover = 1,  // Z
    TileSeedX = 2,        // X
    TileStone = 3,        // C: solid, never cleared by blight
    TileSeedV = 4,        // V
    TileSeedB = 5,        // B
    TileShrubN = 6,       // N: solid, feeds flyers
    TileShrubM = 7,       // M: solid, feeds flyers
    TilePlantX1 = 8,      // X plant, four stages
    TilePlantX2 = 9,
    TilePlantX3 = 10,
    TilePlantX4 = 11,
    TilePlantV1 = 12,     // V plant, three stages
    TilePlantV2 = 13,
    TilePlantV3 = 14,
    TilePlantB1 = 15,     // B plant, four stages
    TilePlantB2 = 16,
    TilePlantB3 = 17,
    TilePlantB4 = 18,
};
constexpr int32_t TileKinds = TileShrubM;  // placeable codes 1..7
constexpr int32_t TileCodeCount = 24;      // size of the per-code tables

// Blight levels. Above each one a cell shows the next overlay sprite and the
// blight acts more fiercely (board_sim.cpp); creatures shun it (creatures.cpp).
constexpr int32_t BlightFaint = 50;
constexpr int32_t BlightSpreading = 100;
constexpr int32_t BlightChoking = 250;   // clears every tile but stone
constexpr int32_t BlightRampant = 600;   // spreads every tick

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
static_assert(SolidTiles[TileStone] && SolidTiles[TileShrubN] && SolidTiles[TileShrubM],
              "stone and shrubs are solid");

// The stock is drawn from this table: ten 1s, eight 2s, five 3s, four 4s,
// two 5s, two 6s and one 7.
inline constexpr int32_t StockDrawTable[] = {
    TileGroundCover, TileGroundCover, TileGroundCover, TileGroundCover, TileGroundCover,
    TileGroundCover, TileGroundCover, TileGroundCover, TileGroundCover, TileGroundCover,
    TileSeedX, TileSeedX, TileSeedX, TileSeedX, TileSeedX, TileSeedX, TileSeedX, TileSeedX,
    TileStone, TileStone, TileStone, TileStone, TileStone,
    TileSeedV, TileSeedV, TileSeedV, TileSeedV,
    TileSeedB, TileSeedB,
    TileShrubN, TileShrubN,
    TileShrubM,
};
constexpr int32_t StockDrawCount = 32;
static_assert(sizeof(StockDrawTable) / sizeof(StockDrawTable[0]) == StockDrawCount, "32 entries");

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
