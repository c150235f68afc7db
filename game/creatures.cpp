// The three entity behaviours of the garden and the cell step they share:
// the gardener (steered, tends its cell), the creature (grazes, wanders,
// leaves when hungry) and the flyer (flies freely, feeds, pollinates).
// Called from GameState::update's behaviour pass. Main thread only.
//
// Every rand() call below is its own draw, made in the order written.
#include <cstdlib>

#include "audio/samples.h"
#include "game/game_title.h"
#include "game/sprites.h"

namespace
{

constexpr int32_t SoundStep = 50;  // "step"

// Step directions: 0 = +x, 1 = +y, 2 = -x, 3 = -y.
constexpr int32_t StepDX[4] = {1, 0, -1, 0};
constexpr int32_t StepDY[4] = {0, 1, 0, -1};
constexpr int32_t DirRight = 0;
constexpr int32_t DirUp = 1;
constexpr int32_t DirLeft = 2;
constexpr int32_t DirDown = 3;

int32_t Sign(int32_t v)
{
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

int32_t Abs(int32_t v)
{
    return v < 0 ? -v : v;
}

int32_t Min(int32_t a, int32_t b)
{
    return a < b ? a : b;
}

bool SolidEntityAt(GameTitle& garden, int32_t x, int32_t y)
{
    const Entity* other = garden.entityAt(x, y);
    return other != nullptr && EntityTypes[other->type].solid;
}

// Moves to the neighbouring cell: the drawn position starts at the old cell
// and glides over (a gardener in 8 ticks, a creature in 24), and the entity
// waits 4 ticks more before its next step.
void MoveOneCell(Entity& e, int32_t dx, int32_t dy)
{
    const float factor = EntityTypes[e.type].slideFactor;
    e.slideX = static_cast<int32_t>(-CellPixels * dx / factor);
    e.slideY = static_cast<int32_t>(-CellPixels * dy / factor);
    e.cellX += dx;
    e.cellY += dy;
    const int32_t longer = Abs(e.slideX) > Abs(e.slideY) ? Abs(e.slideX) : Abs(e.slideY);
    e.timer = longer + 4;
}

// One cell in direction `d`, unless a solid tile or a solid entity is in the
// way; only creatures may step off the board. True if it moved.
bool tryStep(GameTitle& garden, Entity& e, int32_t d)
{
    const int32_t nx = e.cellX + StepDX[d];
    const int32_t ny = e.cellY + StepDY[d];
    if (OnBoard(nx, ny) && SolidTiles[garden.tiles[CellIndex(nx, ny)]])
    {
        return false;
    }
    if (SolidEntityAt(garden, nx, ny))
    {
        return false;
    }
    if (e.type != EntityCreature && !OnBoard(nx, ny))
    {
        return false;
    }
    MoveOneCell(e, StepDX[d], StepDY[d]);
    if (e.type == EntityGardener)
    {
        PlaySound(SoundStep, 0.4f, static_cast<float>((nx - 3.5) * 0.3));
    }
    return true;
}

// How a neighbouring cell whets a creature's appetite (positive) or spoils it.
int32_t TileAppetite(int32_t code)
{
    switch (code)
    {
    case 6: case 13: case 16: return 1;
    case 9: return 2;
    case 11: return -2;
    case 14: return 8;
    case 17: return 3;
    case 18: return 12;
    default: return 0;
    }
}

// Energy a creature spends per decision; it tires faster the longer it stays.
int32_t Weariness(int32_t age)
{
    if (age <= 10)
    {
        return 1;
    }
    if (age <= 20)
    {
        return 2;
    }
    if (age <= 40)
    {
        return 5;
    }
    if (age <= 70)
    {
        return 13;
    }
    if (age <= 100)
    {
        return 34;
    }
    return 55;
}

// The garden the behaviour acts on. Entities only ever live in the garden
// mode; in any other mode they stand still rather than misread the state.
GameTitle* GardenOf(GameState& state)
{
    return dynamic_cast<GameTitle*>(&state);
}

}  // namespace

// =============================================================================
// Gardener
// =============================================================================

void gardenerBehaviour(Entity& e, GameState& state)
{
    GameTitle* garden = GardenOf(state);
    if (garden == nullptr)
    {
        return;
    }

    // Tend the cell underfoot, even while sliding: plants are cut back to
    // their first stage and the blight is wiped away.
    if (OnBoard(e.cellX, e.cellY))
    {
        const int32_t cell = CellIndex(e.cellX, e.cellY);
        int32_t& code = garden->tiles[cell];
        switch (code)
        {
        case 9: case 10: case 11:
            code = 8;
            garden->growth[cell] = 0;
            break;
        case 13: case 14:
            code = 12;
            garden->growth[cell] = 0;
            break;
        case 16: case 17: case 18:
            code = 15;
            garden->growth[cell] = 0;
            break;
        default:
            break;
        }
        garden->blight[cell] = 0;
    }

    if (e.slideX != 0 || e.slideY != 0 || e.timer != 0)
    {
        return;
    }

    // The most recent arrow press wins.
    for (auto it = garden->heldButtons.rbegin(); it != garden->heldButtons.rend(); ++it)
    {
        switch (*it)
        {
        case ButtonUp:
            tryStep(*garden, e, DirUp);
            return;
        case ButtonDown:
            tryStep(*garden, e, DirDown);
            return;
        case ButtonLeft:
            e.orientation = OrientMirrored;
            tryStep(*garden, e, DirLeft);
            return;
        case ButtonRight:
            e.orientation = OrientUpright;
            tryStep(*garden, e, DirRight);
            return;
        default:
            break;
        }
    }
}

// =============================================================================
// Creature
// =============================================================================

void creatureBehaviour(Entity& e, GameState& state)
{
    GameTitle* garden = GardenOf(state);
    if (garden == nullptr)
    {
        return;
    }
    if (e.slideX != 0 || e.slideY != 0 || e.timer != 0)
    {
        return;
    }
    ++e.age;
    const int32_t x = e.cellX;
    const int32_t y = e.cellY;
    if (!OnBoard(x, y))
    {
        e.hp = -1;  // it has left the garden
        return;
    }

    // Graze on grown V and B plants.
    const int32_t here = CellIndex(x, y);
    switch (garden->tiles[here])
    {
    case 13: case 14: case 16: case 17: case 18:
        garden->growth[here] = WrapAdd(garden->growth[here], -7000);
        break;
    default:
        break;
    }

    // Appetite from the 3 x 3 block around it, its own cell included.
    for (int32_t dx = -1; dx <= 1; ++dx)
    {
        for (int32_t dy = -1; dy <= 1; ++dy)
        {
            const int32_t cx = x + dx;
            const int32_t cy = y + dy;
            if (!OnBoard(cx, cy))
            {
                continue;
            }
            const Entity* other = garden->entityAt(cx, cy);
            if (other != nullptr && other->type == EntityGardener)
            {
                e.energy = WrapAdd(e.energy, -1);
                continue;
            }
            const int32_t cell = CellIndex(cx, cy);
            const int32_t b = garden->blight[cell];
            if (b > 600)
            {
                e.energy = WrapAdd(e.energy, -9);
            }
            else if (b > 250)
            {
                e.energy = WrapAdd(e.energy, -5);
            }
            else if (b > 100)
            {
                e.energy = WrapAdd(e.energy, -2);
            }
            else if (b > 50 && std::rand() % 4 == 0)
            {
                e.energy = WrapAdd(e.energy, -2);
            }
            else
            {
                e.energy = WrapAdd(e.energy, TileAppetite(garden->tiles[cell]));
            }
        }
    }

    e.energy = WrapAdd(e.energy, -Weariness(e.age));

    // Hungry on the border: leave through the first edge it touches.
    if (e.energy < 0 && OnBorder(x, y))
    {
        int32_t dx = 0;
        int32_t dy = 0;
        if (x == 0)
        {
            dx = -1;
        }
        else if (y == 0)
        {
            dy = -1;
        }
        else if (x == BoardSize - 1)
        {
            dx = 1;
        }
        else
        {
            dy = 1;
        }
        if (!SolidEntityAt(*garden, x + dx, y + dy))
        {
            MoveOneCell(e, dx, dy);
        }
        return;
    }

    // Choose a step, filing each open direction by what grows there.
    constexpr int32_t order[4] = {DirLeft, DirRight, DirDown, DirUp};
    int32_t lists[4][4];
    int32_t counts[4] = {0, 0, 0, 0};
    for (int32_t d : order)
    {
        const int32_t nx = x + StepDX[d];
        const int32_t ny = y + StepDY[d];
        if (!OnBoard(nx, ny))
        {
            continue;
        }
        // Turning back is considered only one time in four.
        if (std::rand() % 4 != 0 && nx == e.velX && ny == e.velY)
        {
            continue;
        }
        if (garden->entityAt(nx, ny) != nullptr)
        {
            continue;
        }
        if (e.energy <= 0)
        {
            // Out of energy: only steps toward the nearest edge of that axis.
            const int32_t p = StepDX[d] != 0 ? x : y;
            const int32_t q = StepDX[d] != 0 ? nx : ny;
            if (!(Min(q, 7 - q) < Min(p, 7 - p)))
            {
                continue;
            }
        }
        int32_t list = 3;
        switch (garden->tiles[CellIndex(nx, ny)])
        {
        case 1: list = 0; break;
        case 8: case 9: case 10: list = 1; break;
        case 0: list = 2; break;
        case 3: case 6: case 7: list = -1; break;
        default: break;
        }
        if (list >= 0)
        {
            lists[list][counts[list]++] = d;
        }
    }

    e.velX = x;
    e.velY = y;
    int32_t chosen = -1;
    if (counts[0] > 0 && std::rand() % 64 != 0)
    {
        chosen = 0;
    }
    else if (counts[1] > 0 && std::rand() % 128 != 0)
    {
        chosen = 1;
    }
    else if (counts[2] > 0 && std::rand() % 32 != 0)
    {
        chosen = 2;
    }
    else if (counts[3] > 0)
    {
        chosen = 3;
    }
    if (chosen < 0)
    {
        e.timer = 16;  // boxed in: wait before deciding again
        return;
    }
    const int32_t d = lists[chosen][std::rand() % counts[chosen]];
    tryStep(*garden, e, d);
}

// =============================================================================
// Flyer
// =============================================================================

void flyerBehaviour(Entity& e, GameState& state)
{
    GameTitle* garden = GardenOf(state);
    if (garden == nullptr)
    {
        return;
    }
    const EntityTypeInfo& info = EntityTypes[e.type];

    e.posX += e.velX;
    e.posY += e.velY;

    // Soft walls at the edges of the board area.
    if (e.posX < 0)
    {
        e.velX += 1;
    }
    if (e.posY < 0)
    {
        e.velY += 1;
    }
    if (e.posX >= BoardSize * CellUnits)
    {
        e.velX -= 1;
    }
    if (e.posY >= BoardSize * CellUnits)
    {
        e.velY -= 1;
    }

    // The type's slide factor is the flyer's speed limit, 1/64 pixel per tick.
    const int32_t limit = static_cast<int32_t>(info.slideFactor);
    if (static_cast<float>(Abs(e.velX)) > info.slideFactor)
    {
        e.velX = Sign(e.velX) * limit;
    }
    if (static_cast<float>(Abs(e.velY)) > info.slideFactor)
    {
        e.velY = Sign(e.velY) * limit;
    }

    // Shy of gardener and creatures, drawn to other flyers.
    for (auto& [id, other] : garden->entities)
    {
        if (id == e.id)
        {
            continue;
        }
        const int32_t dX = other->posX - e.posX;
        const int32_t dY = other->posY - e.posY;
        if (other->type == EntityGardener)
        {
            if (std::rand() % 128 == 0)
            {
                e.velX -= Sign(dX);
                e.velY -= Sign(dY);
            }
        }
        else if (other->type == EntityCreature)
        {
            if (std::rand() % 512 == 0)
            {
                e.velX -= Sign(dX);
                e.velY -= Sign(dY);
            }
        }
        else if (other->type == EntityFlyer)
        {
            if (std::rand() % 32 == 0)
            {
                e.velX += Sign(dX);
                e.velY += Sign(dY);
            }
        }
    }

    // Upkeep: energy feeds hp; without it the flyer fades.
    if (e.energy >= 1)
    {
        e.hp += 1;
        e.energy = WrapAdd(e.energy, -1);
    }
    else
    {
        e.hp -= 1;
    }
    if (e.hp > info.initialHp)
    {
        e.hp = info.initialHp;
    }

    // Feeding on the shrubs and pollinating the young V and B plants.
    const int32_t px = e.posX / SubPixels;
    const int32_t py = e.posY / SubPixels;
    for (int32_t x = 0; x < BoardSize; ++x)
    {
        for (int32_t y = 0; y < BoardSize; ++y)
        {
            const int32_t cell = CellIndex(x, y);
            const int32_t centreX = CellPixels * x + CellPixels / 2;
            const int32_t centreY = CellPixels * y + CellPixels / 2;
            const int32_t distance = Abs(centreY - py) + Abs(centreX - px);
            const int32_t code = garden->tiles[cell];
            bool steer = false;
            if (code == 6)
            {
                steer = (e.energy < 128 && std::rand() % 16 == 0) || std::rand() % 64 == 0;
            }
            else if (code == 7)
            {
                steer = (e.energy < 128 && std::rand() % 4 == 0) || std::rand() % 32 == 0;
            }
            if (steer)
            {
                e.velX += Sign(centreX - px);
                e.velY += Sign(centreY - py);
            }
            switch (code)
            {
            case 6:
                if (distance < 25)
                {
                    e.energy = WrapAdd(e.energy, 4);
                }
                break;
            case 7:
                if (distance < 25)
                {
                    e.energy = WrapAdd(e.energy, 7);
                }
                break;
            case 12: case 13: case 15: case 16: case 17:
                if (distance < 7)
                {
                    garden->growth[cell] = WrapAdd(garden->growth[cell], 1);
                }
                if (distance < 13)
                {
                    garden->growth[cell] = WrapAdd(garden->growth[cell], 1);
                }
                break;
            default:
                break;
            }
        }
    }
}
