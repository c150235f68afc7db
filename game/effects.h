// Short-lived visual effects and the removal of dead entities.
//
// When an entity dies, the reaping step sprays sparks in the colours of its
// sprite; each spark flies for up to 100 ticks and is freed by the effect pass
// after it is flagged dead. The kinds of effect are a constant table of hooks.
// Main thread only, inside a mode's update and draw.
#pragma once

#include <cstdint>

class GameState;

struct Effect
{
    int32_t kind = 0;
    int32_t posX = 0;    // 1/64 pixel
    int32_t posY = 0;
    int32_t velX = 0;    // 1/64 pixel per tick
    int32_t velY = 0;
    int32_t colour = 0;  // palette index
    float life = 0.0f;   // decreases by the kind's decay per step
    bool dead = false;   // freed by the next effect pass
};

using EffectHook = void (*)(Effect& effect, GameState& state);

struct EffectKindInfo
{
    EffectHook init;   // once, on a new effect
    EffectHook step;   // at the end of every step
    EffectHook draw;   // once per drawn frame, dead or not
    float startLife;
    float decay;       // life lost per step
};

void sparkInit(Effect& effect, GameState& state);
void sparkDraw(Effect& effect, GameState& state);
void effectDoesNothing(Effect& effect, GameState& state);

constexpr int32_t EffectNone = 0;  // as a burst kind: no burst at all
constexpr int32_t EffectSpark = 3;

// Kinds 0..2 are never created; the spark keeps kind 3, the number replays record.
inline constexpr EffectKindInfo EffectKinds[] = {
    {effectDoesNothing, effectDoesNothing, effectDoesNothing, 0.0f, 0.0f},
    {effectDoesNothing, effectDoesNothing, effectDoesNothing, 0.0f, 0.0f},
    {effectDoesNothing, effectDoesNothing, effectDoesNothing, 0.0f, 0.0f},
    {sparkInit, effectDoesNothing, sparkDraw, 1.0f, 0.01f},
};
constexpr int EffectKindCount = 4;
static_assert(sizeof(EffectKinds) / sizeof(EffectKinds[0]) == EffectKindCount,
              "one row per effect kind");

// After the behaviours: removes entities with hp below 0 (with their death
// bursts) and turns hp 0 into -1, so such an entity goes one update later.
void reapEntities(GameState& state);

// After the reaping: frees effects flagged dead and steps all others.
void stepEffects(GameState& state);
