// The running garden's tick: the wandering blight source, the arrival of
// creatures and flyers, plant growth, the tiles that hold blight back, and the
// spread of blight that clears what it overruns. Main thread only.
//
// Every rand() call below is its own draw, made in the order written; a game
// replays from its seed only if that order never changes.
#include <cstdlib>

#include "game/game_title.h"
#include "game/sprites.h"

namespace
{

constexpr int32_t CreatureArrivalPeriod = 2048;  // garden ticks
constexpr int32_t CreatureArrivalPhase = 512;
constexpr int32_t FlyerArrivalPeriod = 8000;
constexpr int32_t FlyerArrivalPhase = 600;

void LowerBlight(int32_t& level, int32_t amount)
{
    level -= amount;
    if (level < 0)
    {
        level = 0;
    }
}

// 0 or 1, 1 with probability 3/8.
int32_t DoubleDrawMinimum()
{
    int32_t m = 2;
    for (int i = 0; i < 2; ++i)
    {
        const int32_t r = std::rand() % 2;
        if (r <= m)
        {
            m = std::rand() % 2;
        }
    }
    return m;
}

// The blight source gets restless as the garden ages.
uint32_t SourceMovePeriod(uint32_t t)
{
    if (t < 5000)
    {
        return 128;
    }
    if (t < 10000)
    {
        return 64;
    }
    if (t < 20000)
    {
        return 32;
    }
    if (t < 40000)
    {
        return 24;
    }
    return 16;
}

// Up to 28 border cells, filed by what grows on them.
struct CellList
{
    int32_t x[BoardCells];
    int32_t y[BoardCells];
    int32_t count = 0;

    void add(int32_t cx, int32_t cy)
    {
        x[count] = cx;
        y[count] = cy;
        ++count;
    }
};

}  // namespace

void GameTitle::spreadBlight(int32_t x, int32_t y)
{
    if (x > 0)
    {
        blight[CellIndex(x - 1, y)] = WrapAdd(blight[CellIndex(x - 1, y)], std::rand() % 2);
    }
    if (y > 0)
    {
        blight[CellIndex(x, y - 1)] = WrapAdd(blight[CellIndex(x, y - 1)], std::rand() % 2);
    }
    if (x < BoardSize - 1)
    {
        blight[CellIndex(x + 1, y)] = WrapAdd(blight[CellIndex(x + 1, y)], std::rand() % 2);
    }
    if (y < BoardSize - 1)
    {
        blight[CellIndex(x, y + 1)] = WrapAdd(blight[CellIndex(x, y + 1)], std::rand() % 2);
    }
}

// =============================================================================
// Arrivals
// =============================================================================

namespace
{

// Which list an arriving creature files a free border cell in: ground cover
// first, then the X plant and its seed, then bare soil, then anything not
// solid (-1: never).
int32_t ArrivalPreference(int32_t code)
{
    switch (code)
    {
    case TileGroundCover: return 0;
    case TileSeedX: case TilePlantX1: case TilePlantX2: case TilePlantX3: case TilePlantX4: return 1;
    case TileEmpty: return 2;
    case TileStone: case TileShrubN: case TileShrubM: return -1;
    default: return 3;
    }
}

// A creature arrives at a free border cell, from the most preferred list
// that wins its draw.
void CreatureArrives(GameTitle& garden)
{
    CellList lists[4];
    for (int32_t x = 0; x < BoardSize; ++x)
    {
        for (int32_t y = 0; y < BoardSize; ++y)
        {
            if (!OnBorder(x, y) || garden.entityAt(x, y) != nullptr)
            {
                continue;
            }
            const int32_t list = ArrivalPreference(garden.tiles[CellIndex(x, y)]);
            if (list >= 0)
            {
                lists[list].add(x, y);
            }
        }
    }
    const CellList* chosen = nullptr;
    if (lists[0].count > 0 && std::rand() % 64 != 0)
    {
        chosen = &lists[0];
    }
    else if (lists[1].count > 0 && std::rand() % 8 != 0)
    {
        chosen = &lists[1];
    }
    else if (lists[2].count > 0)
    {
        chosen = &lists[2];
    }
    else if (lists[3].count > 0)
    {
        chosen = &lists[3];
    }
    if (chosen != nullptr)
    {
        const int32_t pick = std::rand() % chosen->count;
        Entity& creature = garden.spawnEntity(EntityCreature, chosen->x[pick], chosen->y[pick]);
        creature.orientation = OrientUpright;
    }
}

// A flyer enters from the side panel, one column right of the board.
void FlyerArrives(GameTitle& garden)
{
    Entity& flyer = garden.spawnEntity(EntityFlyer, BoardSize, 0);
    flyer.orientation = OrientUpright;
}

// =============================================================================
// Tile effects: what each tile does to its cell's blight, and plant growth
// =============================================================================

// The N shrub sheds its own blight and, now and then, its neighbours'.
void ShrubNShedsBlight(GameTitle& garden, int32_t x, int32_t y)
{
    const int32_t m1 = DoubleDrawMinimum();
    const int32_t m2 = DoubleDrawMinimum();
    LowerBlight(garden.blight[CellIndex(x, y)], m1 + m2);
    if (x > 0 && std::rand() % 24 == 0)
    {
        LowerBlight(garden.blight[CellIndex(x - 1, y)], 1);
    }
    if (y > 0 && std::rand() % 24 == 0)
    {
        LowerBlight(garden.blight[CellIndex(x, y - 1)], 1);
    }
    if (x < BoardSize - 1 && std::rand() % 24 == 0)
    {
        LowerBlight(garden.blight[CellIndex(x + 1, y)], 1);
    }
    if (y < BoardSize - 1 && std::rand() % 24 == 0)
    {
        LowerBlight(garden.blight[CellIndex(x, y + 1)], 1);
    }
}

// The X plant never starts over; young, it sheds blight, fully grown it
// spreads it.
void GrowPlantX(GameTitle& garden, int32_t x, int32_t y)
{
    const int32_t cell = CellIndex(x, y);
    const int32_t g = garden.growth[cell];
    int32_t& code = garden.tiles[cell];
    if (g < 1000)
    {
        code = TilePlantX1;
        LowerBlight(garden.blight[cell], 1);
    }
    else if (g < 2500)
    {
        code = TilePlantX2;
        LowerBlight(garden.blight[cell], 2);
    }
    else if (g < 4500)
    {
        code = TilePlantX3;
    }
    else
    {
        code = TilePlantX4;
        if (std::rand() % 4 == 0)
        {
            garden.spreadBlight(x, y);
        }
    }
}

// The V and B plants: each stage lasts until the growth reaches the next
// limit; grown, the plant sheds blight now and then and starts over once its
// growth reaches `restartAt`.
struct SheddingPlant
{
    int32_t firstStage;
    int32_t stages;
    int32_t limits[3];  // growth at which stage k + 1 begins
    int32_t restartAt;
};
constexpr SheddingPlant PlantV = {TilePlantV1, 3, {5000, 10000, 0}, 30000};
constexpr SheddingPlant PlantB = {TilePlantB1, 4, {7000, 14000, 21000}, 35000};
static_assert(PlantV.firstStage + PlantV.stages == TilePlantB1 && PlantB.firstStage + PlantB.stages == TilePlantB4 + 1,
              "the stages fill the plants' tile codes");

void GrowSheddingPlant(GameTitle& garden, int32_t cell, const SheddingPlant& plant)
{
    const int32_t g = garden.growth[cell];
    int32_t& code = garden.tiles[cell];
    const int32_t grown = plant.firstStage + plant.stages - 1;
    if (code == grown && std::rand() % 16 == 0)
    {
        LowerBlight(garden.blight[cell], 1);
    }
    int32_t stage = 0;
    while (stage < plant.stages - 1 && g >= plant.limits[stage])
    {
        ++stage;
    }
    code = plant.firstStage + stage;
    if (code == grown && g >= plant.restartAt)
    {
        garden.growth[cell] = 0;
    }
}

void TileEffect(GameTitle& garden, int32_t x, int32_t y)
{
    const int32_t cell = CellIndex(x, y);
    switch (garden.tiles[cell])
    {
    case TileGroundCover:
        if (std::rand() % 8 == 0)
        {
            LowerBlight(garden.blight[cell], 1);
        }
        break;
    case TileStone:
    {
        const int32_t m = DoubleDrawMinimum();
        LowerBlight(garden.blight[cell], 1 + m);
        break;
    }
    case TileShrubN:
        ShrubNShedsBlight(garden, x, y);
        break;
    case TileShrubM:
        LowerBlight(garden.blight[cell], 1);
        break;
    case TilePlantX1: case TilePlantX2: case TilePlantX3: case TilePlantX4:
        GrowPlantX(garden, x, y);
        break;
    case TilePlantV1: case TilePlantV2: case TilePlantV3:
        GrowSheddingPlant(garden, cell, PlantV);
        break;
    case TilePlantB1: case TilePlantB2: case TilePlantB3: case TilePlantB4:
        GrowSheddingPlant(garden, cell, PlantB);
        break;
    default:
        break;  // bare soil and the seeds, which only lie in a planting board
    }
}

// =============================================================================
// Blight effects: the heavier a cell's blight, the faster it grows and
// spreads; choking blight clears every tile but stone.
// =============================================================================

void BlightEffect(GameTitle& garden, int32_t x, int32_t y)
{
    const int32_t cell = CellIndex(x, y);
    int32_t& code = garden.tiles[cell];
    int32_t& level = garden.blight[cell];
    if (level > BlightRampant)
    {
        garden.spreadBlight(x, y);
        if (code != TileStone)
        {
            code = TileEmpty;
        }
    }
    else if (level > BlightChoking)
    {
        if (std::rand() % 2 == 0)
        {
            garden.spreadBlight(x, y);
        }
        if (code != TileStone)
        {
            code = TileEmpty;
        }
    }
    else if (level > BlightSpreading)
    {
        if (std::rand() % 8 == 0)
        {
            level = WrapAdd(level, 1);
        }
        if (std::rand() % 16 == 0)
        {
            garden.spreadBlight(x, y);
        }
    }
    else if (level > BlightFaint)
    {
        if (std::rand() % 16 == 0)
        {
            level = WrapAdd(level, 1);
        }
        if (std::rand() % 32 == 0)
        {
            garden.spreadBlight(x, y);
        }
    }
    else if (level > 0)
    {
        if (std::rand() % 24 == 0)
        {
            level = WrapAdd(level, 1);
        }
    }
}

}  // namespace

// =============================================================================
// The garden tick
// =============================================================================

void GameTitle::gardenStep()
{
    const uint32_t t = gardenTicks;

    // The source may wander to another border cell.
    if (t % SourceMovePeriod(t) == 0 && std::rand() % 2 == 0)
    {
        chooseBlightSource();
    }
    if (t % CreatureArrivalPeriod == CreatureArrivalPhase)
    {
        CreatureArrives(*this);
    }
    if (t % FlyerArrivalPeriod == FlyerArrivalPhase)
    {
        FlyerArrives(*this);
    }

    // Blight wells up at the source.
    int32_t& source = blight[CellIndex(blightSourceX, blightSourceY)];
    source = WrapAdd(source, 1);

    // The cell pass, in scan order and in place: blight spread to a later
    // cell is seen by that cell in this same tick.
    for (int32_t x = 0; x < BoardSize; ++x)
    {
        for (int32_t y = 0; y < BoardSize; ++y)
        {
            const int32_t cell = CellIndex(x, y);
            growth[cell] = WrapAdd(growth[cell], std::rand() % 8);
            TileEffect(*this, x, y);
            BlightEffect(*this, x, y);
        }
    }

    gardenTicks += 1;
}
