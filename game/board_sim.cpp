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

void GameTitle::gardenStep()
{
    const uint32_t t = gardenTicks;

    // 1. The source may move to another border cell.
    if (t % SourceMovePeriod(t) == 0 && std::rand() % 2 == 0)
    {
        chooseBlightSource();
    }

    // 2. A creature arrives at a free border cell, preferring ground cover,
    //    then the X plant, then bare soil, then anything not solid.
    if (t % CreatureArrivalPeriod == CreatureArrivalPhase)
    {
        CellList lists[4];
        for (int32_t x = 0; x < BoardSize; ++x)
        {
            for (int32_t y = 0; y < BoardSize; ++y)
            {
                if (!OnBorder(x, y) || entityAt(x, y) != nullptr)
                {
                    continue;
                }
                switch (tiles[CellIndex(x, y)])
                {
                case 1: lists[0].add(x, y); break;
                case 2: case 8: case 9: case 10: case 11: lists[1].add(x, y); break;
                case 0: lists[2].add(x, y); break;
                case 3: case 6: case 7: break;
                default: lists[3].add(x, y); break;
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
            Entity& creature = spawnEntity(EntityCreature, chosen->x[pick], chosen->y[pick]);
            creature.orientation = OrientUpright;
        }
    }

    // 3. A flyer enters from the side panel, one column right of the board.
    if (t % FlyerArrivalPeriod == FlyerArrivalPhase)
    {
        Entity& flyer = spawnEntity(EntityFlyer, BoardSize, 0);
        flyer.orientation = OrientUpright;
    }

    // 4. Blight wells up at the source.
    int32_t& source = blight[CellIndex(blightSourceX, blightSourceY)];
    source = WrapAdd(source, 1);

    // 5. Every cell in scan order, in place: blight spread to a later cell is
    //    seen by that cell in this same tick.
    for (int32_t x = 0; x < BoardSize; ++x)
    {
        for (int32_t y = 0; y < BoardSize; ++y)
        {
            const int32_t cell = CellIndex(x, y);
            growth[cell] = WrapAdd(growth[cell], std::rand() % 8);
            const int32_t g = growth[cell];
            int32_t& code = tiles[cell];

            switch (code)
            {
            case 1:
                if (std::rand() % 8 == 0)
                {
                    LowerBlight(blight[cell], 1);
                }
                break;
            case 3:
            {
                const int32_t m = DoubleDrawMinimum();
                LowerBlight(blight[cell], 1 + m);
                break;
            }
            case 6:
            {
                const int32_t m1 = DoubleDrawMinimum();
                const int32_t m2 = DoubleDrawMinimum();
                LowerBlight(blight[cell], m1 + m2);
                if (x > 0 && std::rand() % 24 == 0)
                {
                    LowerBlight(blight[CellIndex(x - 1, y)], 1);
                }
                if (y > 0 && std::rand() % 24 == 0)
                {
                    LowerBlight(blight[CellIndex(x, y - 1)], 1);
                }
                if (x < BoardSize - 1 && std::rand() % 24 == 0)
                {
                    LowerBlight(blight[CellIndex(x + 1, y)], 1);
                }
                if (y < BoardSize - 1 && std::rand() % 24 == 0)
                {
                    LowerBlight(blight[CellIndex(x, y + 1)], 1);
                }
                break;
            }
            case 7:
                LowerBlight(blight[cell], 1);
                break;
            case 8: case 9: case 10: case 11:
                // The X plant never starts over; grown, it sheds blight.
                if (g < 1000)
                {
                    code = 8;
                    LowerBlight(blight[cell], 1);
                }
                else if (g < 2500)
                {
                    code = 9;
                    LowerBlight(blight[cell], 2);
                }
                else if (g < 4500)
                {
                    code = 10;
                }
                else
                {
                    code = 11;
                    if (std::rand() % 4 == 0)
                    {
                        spreadBlight(x, y);
                    }
                }
                break;
            case 12: case 13: case 14:
                if (code == 14 && std::rand() % 16 == 0)
                {
                    LowerBlight(blight[cell], 1);
                }
                // The V plant starts over once its growth reaches 30000.
                if (g < 5000)
                {
                    code = 12;
                }
                else if (g < 10000)
                {
                    code = 13;
                }
                else
                {
                    code = 14;
                    if (g >= 30000)
                    {
                        growth[cell] = 0;
                    }
                }
                break;
            case 15: case 16: case 17: case 18:
                if (code == 18 && std::rand() % 16 == 0)
                {
                    LowerBlight(blight[cell], 1);
                }
                // The B plant starts over once its growth reaches 35000.
                if (g < 7000)
                {
                    code = 15;
                }
                else if (g < 14000)
                {
                    code = 16;
                }
                else if (g < 21000)
                {
                    code = 17;
                }
                else
                {
                    code = 18;
                    if (g >= 35000)
                    {
                        growth[cell] = 0;
                    }
                }
                break;
            default:
                break;  // 0 and the seed codes 2, 4, 5: nothing
            }

            int32_t& level = blight[cell];
            if (level > 600)
            {
                spreadBlight(x, y);
                if (code != 3)
                {
                    code = 0;
                }
            }
            else if (level > 250)
            {
                if (std::rand() % 2 == 0)
                {
                    spreadBlight(x, y);
                }
                if (code != 3)
                {
                    code = 0;
                }
            }
            else if (level > 100)
            {
                if (std::rand() % 8 == 0)
                {
                    level = WrapAdd(level, 1);
                }
                if (std::rand() % 16 == 0)
                {
                    spreadBlight(x, y);
                }
            }
            else if (level > 50)
            {
                if (std::rand() % 16 == 0)
                {
                    level = WrapAdd(level, 1);
                }
                if (std::rand() % 32 == 0)
                {
                    spreadBlight(x, y);
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
    }

    gardenTicks += 1;
}
