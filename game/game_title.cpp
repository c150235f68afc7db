// GameTitle core: construction, the planting phase, opening the garden, the
// button handling and the drawing of the whole screen. Main thread only.
//
// The board fills the left 96 x 96 pixels; a separator column and a 31-pixel
// side panel (the stock while planting, plain brown afterwards) fill the rest.
#include "game/game_title.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "audio/samples.h"
#include "audio/sound_effects.h"
#include "game/sprites.h"
#include "gfx/font.h"
#include "gfx/palette.h"
#include "gfx/screen_buffer.h"

namespace
{

constexpr int32_t StartKind = SampleKind(SoundStart);
constexpr int32_t RefuseKind = SampleKind(SoundBombExp);
constexpr int32_t PlaceKind = SampleKind(SoundEnemyDeath);
constexpr int32_t PickUpKind = SampleKind(SoundCat);

constexpr int32_t CursorRepeatTicks = 6;  // a held arrow moves the cursor every 7th tick

// The overlay sprite a cell's blight shows, or -1 for none.
int32_t BlightOverlay(int32_t level)
{
    if (level > BlightRampant)
    {
        return SpriteBlightFirst + 3;
    }
    if (level > BlightChoking)
    {
        return SpriteBlightFirst + 2;
    }
    if (level > BlightSpreading)
    {
        return SpriteBlightFirst + 1;
    }
    if (level > BlightFaint)
    {
        return SpriteBlightFirst;
    }
    return -1;
}

constexpr const char* StockKeyLetters[TileKinds] = {"z", "x", "c", "v", "b", "n", "m"};

}  // namespace

// =============================================================================
// Construction
// =============================================================================

GameTitle::GameTitle()
{
    gardenTicks = 0;
    for (int32_t i = 0; i < BoardCells; ++i)
    {
        tiles[i] = TileEmpty;
        growth[i] = 0;
        blight[i] = 0;
    }
    PaletteTickCounter = 0;
    planting = true;
    cursorRepeat = 0;
    cursorX = 4;
    cursorY = 4;
    chooseBlightSource();

    for (int32_t k = 0; k < TileKinds; ++k)
    {
        tileStock[k] = 0;
    }
    tileStock[TileSeedX - 1] = 4;  // at least four X seeds in every stock
    for (int i = 0; i < StockDrawCount; ++i)
    {
        const int32_t code = StockDrawTable[std::rand() % StockDrawCount];
        ++tileStock[code - 1];
    }

    if (SamplesLoaded)
    {
        PlaySoundEx(StartKind, 0.0f, 0.1f, 0.6f, 0.0f);
    }
}

// A random border cell: first a coin for which pair of edges, then which edge,
// then the place along it.
void GameTitle::chooseBlightSource()
{
    if (std::rand() % 2 != 0)
    {
        blightSourceX = (BoardSize - 1) * (std::rand() % 2);
        blightSourceY = std::rand() % BoardSize;
    }
    else
    {
        blightSourceY = (BoardSize - 1) * (std::rand() % 2);
        blightSourceX = std::rand() % BoardSize;
    }
}

// =============================================================================
// Buttons and planting
// =============================================================================

void GameTitle::buttonDown(int32_t button)
{
    if (button >= ButtonZ && button <= ButtonM)
    {
        if (planting)
        {
            placeTile(TileGroundCover + (button - ButtonZ));
        }
        return;
    }
    if (button == ButtonSpace)
    {
        bool stockEmpty = true;
        for (int32_t k = 0; k < TileKinds; ++k)
        {
            stockEmpty = stockEmpty && tileStock[k] == 0;
        }
        if (planting && stockEmpty)
        {
            openGarden();
        }
        else
        {
            PlaySound(RefuseKind, 0.2f, 0.0f);
        }
        return;
    }
    GameState::buttonDown(button);
}

void GameTitle::placeTile(int32_t code)
{
    if (code < 1 || code > TileKinds)
    {
        return;
    }
    int32_t& cell = tiles[CellIndex(cursorX, cursorY)];
    const int32_t current = cell;
    if (current == code)
    {
        // The same key again picks the tile back up.
        cell = TileEmpty;
        ++tileStock[code - 1];
        if (SamplesLoaded)
        {
            PlaySoundEx(PickUpKind, 0.0f, 0.4f, 0.6f, 0.0f);
        }
    }
    else if (tileStock[code - 1] > 0)
    {
        if (current != TileEmpty)
        {
            ++tileStock[current - 1];  // the replaced tile goes back to the stock
        }
        cell = code;
        --tileStock[code - 1];
        PlaySound(PlaceKind, 0.2f, 0.0f);
    }
    else
    {
        PlaySound(RefuseKind, 0.2f, 0.0f);
    }
}

void GameTitle::openGarden()
{
    planting = false;
    Entity& gardener = spawnEntity(EntityGardener, 0, 7);
    gardener.orientation = OrientUpright;
    for (int32_t i = 0; i < BoardCells; ++i)
    {
        growth[i] = 0;
        blight[i] = 0;
        // Seeds become the first stage of their plant.
        if (tiles[i] == TileSeedX)
        {
            tiles[i] = TilePlantX1;
        }
        else if (tiles[i] == TileSeedV)
        {
            tiles[i] = TilePlantV1;
        }
        else if (tiles[i] == TileSeedB)
        {
            tiles[i] = TilePlantB1;
        }
    }
}

Entity* GameTitle::entityAt(int32_t x, int32_t y)
{
    for (auto& [id, entity] : entities)
    {
        if (entity->cellX == x && entity->cellY == y)
        {
            return entity.get();
        }
    }
    return nullptr;
}

// =============================================================================
// Update
// =============================================================================

void GameTitle::update()
{
    GameState::update();
    if (!planting)
    {
        gardenStep();
    }
    else
    {
        moveCursor();
    }
}

// Every held arrow acts, latest press first, so Up and Right together move
// diagonally; then the cursor rests for six ticks.
void GameTitle::moveCursor()
{
    if (cursorRepeat != 0)
    {
        --cursorRepeat;
        return;
    }
    for (auto it = heldButtons.rbegin(); it != heldButtons.rend(); ++it)
    {
        switch (*it)
        {
        case ButtonUp:
            cursorY = cursorY + 1 > BoardSize - 1 ? BoardSize - 1 : cursorY + 1;
            break;
        case ButtonDown:
            cursorY = cursorY - 1 < 0 ? 0 : cursorY - 1;
            break;
        case ButtonLeft:
            cursorX = cursorX - 1 < 0 ? 0 : cursorX - 1;
            break;
        case ButtonRight:
            cursorX = cursorX + 1 > BoardSize - 1 ? BoardSize - 1 : cursorX + 1;
            break;
        default:
            continue;
        }
        cursorRepeat = CursorRepeatTicks;
    }
}

// =============================================================================
// Drawing
// =============================================================================

void GameTitle::draw()
{
    drawBoard();

    if (!planting)
    {
        drawEntities();
        drawEffects();
    }
    else
    {
        const int32_t left = CellPixels * cursorX;
        const int32_t bottom = CellPixels * cursorY;
        for (int32_t k = 0; k < CellPixels; ++k)
        {
            PutPixelClipped(left + k, bottom, ColourPurple);
            PutPixelClipped(left + k, bottom + CellPixels - 1, ColourPurple);
            PutPixelClipped(left, bottom + k, ColourPurple);
            PutPixelClipped(left + CellPixels - 1, bottom + k, ColourPurple);
        }
    }

    // Separator between board and panel.
    for (int32_t y = 0; y < ScreenHeight; ++y)
    {
        ScreenBuffer[PixelOffset(96, y)] = ColourStone;
    }

    if (!planting)
    {
        for (int32_t x = 97; x < ScreenWidth; ++x)
        {
            for (int32_t y = 0; y < ScreenHeight; ++y)
            {
                ScreenBuffer[PixelOffset(x, y)] = ColourDarkBrown;
            }
        }
        return;
    }
    drawStockPanel();
}

void GameTitle::drawBoard()
{
    for (int32_t x = 0; x < BoardSize; ++x)
    {
        for (int32_t y = 0; y < BoardSize; ++y)
        {
            const int32_t cx = CellPixels * x + CellPixels / 2;
            const int32_t cy = CellPixels * y + CellPixels / 2;
            drawSprite(tiles[CellIndex(x, y)], cx, cy, OrientUpright, false);
            const int32_t overlay = BlightOverlay(blight[CellIndex(x, y)]);
            if (overlay >= 0)
            {
                drawSprite(overlay, cx, cy, OrientUpright, false);
            }
        }
    }
}

// A count is written in decimal from column 122, where the single digits sit.
// A count too wide to end by the panel's last column (20 and up: seven columns
// of ink) moves left until it does, and the "x" moves with it, so one blank
// column always parts the "x" from the number and nothing is clipped. Counts
// from 10 to 19 fit where they are and nothing moves.
void GameTitle::drawStockCount(int32_t stock, int32_t y)
{
    char count[16];
    std::snprintf(count, sizeof count, "%d", stock);
    // A digit's advance includes the blank column after its ink.
    const int32_t countX = std::min(122, ScreenWidth + 1 - TextWidth(count));
    DrawText("x", std::min(118, countX - TextWidth("x")), y, ColourDarkBrown, 1);
    DrawText(count, countX, y, ColourMutedBrown, 1);
}

void GameTitle::drawStockPanel()
{
    bool stockEmpty = true;
    for (int32_t i = 0; i < TileKinds; ++i)
    {
        const int32_t y = 85 - 13 * i;
        drawSprite(TileGroundCover + i, 110, y + 2, OrientUpright, true);
        DrawText(StockKeyLetters[i], 98, y, ColourBlue, 1);
        drawStockCount(tileStock[i], y);
        stockEmpty = stockEmpty && tileStock[i] == 0;
    }

    if (stockEmpty)
    {
        for (int32_t x = 10; x <= 117; ++x)
        {
            for (int32_t y = 2; y <= 9; ++y)
            {
                ScreenBuffer[PixelOffset(x, y)] = ColourBlack;
            }
        }
        const char* prompt = "press space to open garden";
        DrawText(prompt, 64 - TextWidth(prompt) / 2, 4, ColourOrange, 1);
    }
}
