// The board entity record and the constant table of entity types.
//
// An entity is one of the garden's actors (gardener, creature, flyer). Its
// position is kept in 1/64 screen pixel; a board cell is 12 x 12 pixels, so a
// cell is 768 units wide. Each type's row holds its behaviour beside its
// numbers. Main thread only.
#pragma once

#include <cstdint>

#include "game/effects.h"
#include "game/sprites.h"

class GameState;
struct Entity;

// One tick of an entity's own logic. Behaviours read and change the entity and
// the game state, and end an entity by lowering its hp below 1; they never add
// entities to the map or remove them from it.
using EntityBehaviour = void (*)(Entity& entity, GameState& state);

// Entity types, also the index into EntityTypes.
constexpr int32_t EntityGardener = 0;
constexpr int32_t EntityCreature = 1;
constexpr int32_t EntityFlyer = 2;

// Adds with 32-bit two's-complement wrap-around. The garden's counters (growth,
// blight, a flyer's energy) have no upper bound, and a garden left running for
// months would overflow them; the wrap is done on unsigned values so it is
// defined behaviour, and it gives the same numbers as before the overflow.
inline int32_t WrapAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// The four grid steps, in the order the step tables list them.
enum StepDirection : int32_t
{
    StepRight = 0,  // +x
    StepUp = 1,     // +y
    StepLeft = 2,   // -x
    StepDown = 3,   // -y
};
constexpr int32_t StepDirectionCount = 4;
inline constexpr int32_t StepDX[StepDirectionCount] = {1, 0, -1, 0};
inline constexpr int32_t StepDY[StepDirectionCount] = {0, 1, 0, -1};

// Board geometry shared by the entities and the garden.
constexpr int32_t CellPixels = 12;
constexpr int32_t SubPixels = 64;  // position units per screen pixel
constexpr int32_t CellUnits = CellPixels * SubPixels;

struct Entity
{
    uint32_t id = 0;
    int32_t type = 0;
    int32_t posX = 0;         // sprite centre, 1/64 pixel
    int32_t posY = 0;
    int32_t velX = 0;         // flyer: 1/64 pixel per tick; creature: the cell it last decided from
    int32_t velY = 0;
    int32_t cellX = 0;        // board cell the entity occupies (may lie off the board)
    int32_t cellY = 0;
    int32_t slideX = 0;       // drawn offset from the cell centre, in slide units
    int32_t slideY = 0;
    int32_t hp = 0;           // below 0: dead, removed by the reaping step
    int32_t timer = 0;        // ticks; counts down by 1 per update while positive
    int32_t energy = 32;
    int32_t orientation = 0;  // drawSprite mode 0..7
    int32_t age = 0;          // creature: decisions taken
};

struct EntityTypeInfo
{
    const char* name;
    int32_t initialHp;
    int32_t sprite;           // SpriteBank index
    EntityBehaviour behaviour;
    float slideFactor;        // pixels per slide unit (flyer: its speed limit, 1/64 pixel per tick)
    int32_t burstKind;        // effect kind of the death burst; 0 = none
    int32_t burstCount;       // sparks in the death burst
    bool solid;               // blocks other entities from stepping into its cell
};

// The behaviours live with the garden they act on (creatures.cpp).
void gardenerBehaviour(Entity& entity, GameState& state);
void creatureBehaviour(Entity& entity, GameState& state);
void flyerBehaviour(Entity& entity, GameState& state);

inline constexpr EntityTypeInfo EntityTypes[] = {
    {"gardener", 1, SpriteGardener, gardenerBehaviour, 1.5f, EffectSpark, 16, true},
    {"creature", 1, SpriteCreature, creatureBehaviour, 0.5f, EffectSpark, 0, true},
    {"flyer", 800, SpriteFlyer, flyerBehaviour, 8.0f, EffectSpark, 16, false},
};
constexpr int EntityTypeCount = 3;
static_assert(sizeof(EntityTypes) / sizeof(EntityTypes[0]) == EntityTypeCount,
              "one row per entity type");
