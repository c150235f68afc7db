// The three entity behaviours of the garden and the cell step they share:
// the gardener (steered, tends its cell), the creature (grazes, wanders,
// leaves when hungry) and the flyer (flies freely, feeds, pollinates).
// Called from GameState::update's behaviour pass. Main thread only.
//
// Every rand() call below is its own draw, made in the order written.
#include <cstdlib>

#include "audio/samples.h"
#include "audio/sound_effects.h"
#include "game/game_title.h"
#include "game/sprites.h"

namespace
{

constexpr int32_t StepKind = SampleKind(SoundStep);

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
bool tryStep(GameTitle& garden, Entity& e, StepDirection d)
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
        PlaySound(StepKind, 0.4f, static_cast<float>((nx - 3.5) * 0.3));
    }
    return true;
}

// How a neighbouring cell whets a creature's appetite (positive) or spoils it.
int32_t TileAppetite(int32_t code)
{
    switch (code)
    {
    case TileShrubN: case TilePlantV2: case TilePlantB2: return 1;
    case TilePlantX2: return 2;
    case TilePlantX4: return -2;
    case TilePlantV3: return 8;
    case TilePlantB3: return 3;
    case TilePlantB4: return 12;
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
        case TilePlantX2: case TilePlantX3: case TilePlantX4:
            code = TilePlantX1;
            garden->growth[cell] = 0;
            break;
        case TilePlantV2: case TilePlantV3:
            code = TilePlantV1;
            garden->growth[cell] = 0;
            break;
        case TilePlantB2: case TilePlantB3: case TilePlantB4:
            code = TilePlantB1;
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
            tryStep(*garden, e, StepUp);
            return;
        case ButtonDown:
            tryStep(*garden, e, StepDown);
            return;
        case ButtonLeft:
            e.orientation = OrientMirrored;
            tryStep(*garden, e, StepLeft);
            return;
        case ButtonRight:
            e.orientation = OrientUpright;
            tryStep(*garden, e, StepRight);
            return;
        default:
            break;
        }
    }
}

// =============================================================================
// Creature
// =============================================================================

namespace
{

// Grazing takes growth from grown V and B plants.
void Graze(GameTitle& garden, int32_t cell)
{
    switch (garden.tiles[cell])
    {
    case TilePlantV2: case TilePlantV3: case TilePlantB2: case TilePlantB3: case TilePlantB4:
        garden.growth[cell] = WrapAdd(garden.growth[cell], -7000);
        break;
    default:
        break;
    }
}

// Appetite from the 3 x 3 block around the creature, its own cell included:
// the gardener and blight spoil it, what grows there whets or spoils it.
void FeelAppetite(GameTitle& garden, Entity& e)
{
    for (int32_t dx = -1; dx <= 1; ++dx)
    {
        for (int32_t dy = -1; dy <= 1; ++dy)
        {
            const int32_t cx = e.cellX + dx;
            const int32_t cy = e.cellY + dy;
            if (!OnBoard(cx, cy))
            {
                continue;
            }
            const Entity* other = garden.entityAt(cx, cy);
            if (other != nullptr && other->type == EntityGardener)
            {
                e.energy = WrapAdd(e.energy, -1);
                continue;
            }
            const int32_t cell = CellIndex(cx, cy);
            const int32_t b = garden.blight[cell];
            if (b > BlightRampant)
            {
                e.energy = WrapAdd(e.energy, -9);
            }
            else if (b > BlightChoking)
            {
                e.energy = WrapAdd(e.energy, -5);
            }
            else if (b > BlightSpreading)
            {
                e.energy = WrapAdd(e.energy, -2);
            }
            else if (b > BlightFaint && std::rand() % 4 == 0)
            {
                e.energy = WrapAdd(e.energy, -2);
            }
            else
            {
                e.energy = WrapAdd(e.energy, TileAppetite(garden.tiles[cell]));
            }
        }
    }
}

// A hungry creature on the border leaves through the first edge it touches,
// unless a solid entity stands just outside.
void Leave(GameTitle& garden, Entity& e)
{
    const int32_t x = e.cellX;
    const int32_t y = e.cellY;
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
    if (!SolidEntityAt(garden, x + dx, y + dy))
    {
        MoveOneCell(e, dx, dy);
    }
}

// Which list a creature files an open step in: ground cover first, then the
// young X plant, then bare soil, then anything not solid (-1: never).
int32_t StepPreference(int32_t code)
{
    switch (code)
    {
    case TileGroundCover: return 0;
    case TilePlantX1: case TilePlantX2: case TilePlantX3: return 1;
    case TileEmpty: return 2;
    case TileStone: case TileShrubN: case TileShrubM: return -1;
    default: return 3;
    }
}

// Chooses a step, filing each open direction by what grows there, and takes
// it; boxed in, the creature waits before deciding again.
void ChooseStep(GameTitle& garden, Entity& e)
{
    const int32_t x = e.cellX;
    const int32_t y = e.cellY;
    constexpr StepDirection order[4] = {StepLeft, StepRight, StepDown, StepUp};
    StepDirection lists[4][4];
    int32_t counts[4] = {0, 0, 0, 0};
    for (StepDirection d : order)
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
        if (garden.entityAt(nx, ny) != nullptr)
        {
            continue;
        }
        if (e.energy <= 0)
        {
            // Out of energy: only steps toward the nearest edge of that axis.
            const int32_t p = StepDX[d] != 0 ? x : y;
            const int32_t q = StepDX[d] != 0 ? nx : ny;
            if (!(Min(q, BoardSize - 1 - q) < Min(p, BoardSize - 1 - p)))
            {
                continue;
            }
        }
        const int32_t list = StepPreference(garden.tiles[CellIndex(nx, ny)]);
        if (list >= 0)
        {
            lists[list][counts[list]++] = d;
        }
    }

    // The cell it decided from, so it can tell a step back next time.
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
        e.timer = 16;
        return;
    }
    const StepDirection d = lists[chosen][std::rand() % counts[chosen]];
    tryStep(garden, e, d);
}

}  // namespace

// A creature decides once it has come to rest: it grazes, feels its appetite
// and its weariness, and then leaves when hungry on the border or steps on.
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
    if (!OnBoard(e.cellX, e.cellY))
    {
        e.hp = -1;  // it has left the garden
        return;
    }
    Graze(*garden, CellIndex(e.cellX, e.cellY));
    FeelAppetite(*garden, e);
    e.energy = WrapAdd(e.energy, -Weariness(e.age));
    if (e.energy < 0 && OnBorder(e.cellX, e.cellY))
    {
        Leave(*garden, e);
        return;
    }
    ChooseStep(*garden, e);
}

// =============================================================================
// Flyer
// =============================================================================

namespace
{

// Moves by its velocity, is pushed back by soft walls at the edges of the
// board area, and keeps to its speed limit (the type's slide factor, in
// 1/64 pixel per tick).
void Fly(Entity& e)
{
    const EntityTypeInfo& info = EntityTypes[e.type];
    e.posX += e.velX;
    e.posY += e.velY;

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

    const int32_t limit = static_cast<int32_t>(info.slideFactor);
    if (static_cast<float>(Abs(e.velX)) > info.slideFactor)
    {
        e.velX = Sign(e.velX) * limit;
    }
    if (static_cast<float>(Abs(e.velY)) > info.slideFactor)
    {
        e.velY = Sign(e.velY) * limit;
    }
}

// Shy of gardener and creatures, drawn to other flyers.
void HeedOthers(GameTitle& garden, Entity& e)
{
    for (auto& [id, other] : garden.entities)
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
}

// Energy feeds hp up to the type's initial hp; without energy the flyer fades.
void Upkeep(Entity& e)
{
    if (e.energy >= 1)
    {
        e.hp += 1;
        e.energy = WrapAdd(e.energy, -1);
    }
    else
    {
        e.hp -= 1;
    }
    if (e.hp > EntityTypes[e.type].initialHp)
    {
        e.hp = EntityTypes[e.type].initialHp;
    }
}

// Over every cell: steers toward the shrubs now and then (more eagerly when
// low on energy), feeds on those near it, and pollinates young V and B
// plants it passes close by.
void FeedAndPollinate(GameTitle& garden, Entity& e)
{
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
            const int32_t code = garden.tiles[cell];
            bool steer = false;
            if (code == TileShrubN)
            {
                steer = (e.energy < 128 && std::rand() % 16 == 0) || std::rand() % 64 == 0;
            }
            else if (code == TileShrubM)
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
            case TileShrubN:
                if (distance < 25)
                {
                    e.energy = WrapAdd(e.energy, 4);
                }
                break;
            case TileShrubM:
                if (distance < 25)
                {
                    e.energy = WrapAdd(e.energy, 7);
                }
                break;
            case TilePlantV1: case TilePlantV2: case TilePlantB1: case TilePlantB2: case TilePlantB3:
                if (distance < 7)
                {
                    garden.growth[cell] = WrapAdd(garden.growth[cell], 1);
                }
                if (distance < 13)
                {
                    garden.growth[cell] = WrapAdd(garden.growth[cell], 1);
                }
                break;
            default:
                break;
            }
        }
    }
}

}  // namespace

void flyerBehaviour(Entity& e, GameState& state)
{
    GameTitle* garden = GardenOf(state);
    if (garden == nullptr)
    {
        return;
    }
    Fly(e);
    HeedOthers(*garden, e);
    Upkeep(e);
    FeedAndPollinate(*garden, e);
}
