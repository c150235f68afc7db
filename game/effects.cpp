// Death bursts and the effect pass, which GameState::update runs after the
// behaviours, and the spark's hooks. Main thread only.
//
// Every random number here is a separate rand() call, made in a fixed order,
// so a game replays exactly from its seed.
#include "game/effects.h"

#include <cmath>
#include <cstdlib>

#include "game/game_state.h"
#include "game/sprites.h"
#include "gfx/screen_buffer.h"

namespace
{

// Effects live inside the screen area, in 1/64 pixel.
constexpr int32_t EffectMaxX = ScreenWidth * SubPixels;    // 8192
constexpr int32_t EffectMaxY = ScreenHeight * SubPixels;   // 6144

// A random non-zero pixel of the sprite: row first, then column, drawn again
// until the value is not transparent. Every bursting type's sprite has one.
int8_t PickSpriteColour(int32_t sprite)
{
    const int n = SpriteBank[sprite].size;
    for (;;)
    {
        const int row = n > 0 ? std::rand() % n : 0;
        const int column = n > 0 ? std::rand() % n : 0;
        const int8_t value = SpritePixel(sprite, row, column);
        if (value != 0)
        {
            return value;
        }
    }
}

void EmitBurst(GameState& state, const Entity& entity, const EntityTypeInfo& info)
{
    const EffectKindInfo& kind = EffectKinds[info.burstKind];
    for (int32_t i = 0; i < info.burstCount; ++i)
    {
        auto effect = std::make_unique<Effect>();
        const int8_t colour = PickSpriteColour(info.sprite);
        effect->kind = info.burstKind;
        // Whole pixels, truncated toward zero.
        effect->posX = entity.posX / SubPixels * SubPixels;
        effect->posY = entity.posY / SubPixels * SubPixels;
        effect->velX = 0;
        effect->velY = 0;
        effect->colour = colour;
        effect->life = kind.startLife;
        effect->dead = false;
        kind.init(*effect, state);
        state.effects.push_back(std::move(effect));
    }
}

// An effect that leaves the screen area stops at its edge and is over.
void ClampToScreen(int32_t& position, int32_t maximum, bool& dead)
{
    if (position < 0)
    {
        position = 0;
        dead = true;
    }
    if (position > maximum)
    {
        position = maximum;
        dead = true;
    }
}
}  // namespace

// =============================================================================
// Reaping and the effect pass
// =============================================================================

void reapEntities(GameState& state)
{
    for (auto it = state.entities.begin(); it != state.entities.end();)
    {
        Entity& entity = *it->second;
        if (entity.hp < 0)
        {
            const EntityTypeInfo& info = EntityTypes[entity.type];
            if (info.burstKind != EffectNone)
            {
                EmitBurst(state, entity, info);
            }
            entity.hp = -1;
            if (entity.type == EntityGardener)
            {
                state.playerDied();
            }
            it = state.entities.erase(it);
            continue;
        }
        if (entity.hp == 0)
        {
            // Dying: skipped by the next behaviour pass, removed by the next reaping.
            entity.hp = -1;
        }
        ++it;
    }
}

void stepEffects(GameState& state)
{
    for (auto it = state.effects.begin(); it != state.effects.end();)
    {
        Effect& effect = **it;
        if (effect.dead)
        {
            it = state.effects.erase(it);
            continue;
        }
        const EffectKindInfo& kind = EffectKinds[effect.kind];
        effect.life = effect.life - kind.decay;
        effect.posX += effect.velX;
        effect.posY += effect.velY;
        ClampToScreen(effect.posX, EffectMaxX, effect.dead);
        ClampToScreen(effect.posY, EffectMaxY, effect.dead);
        // With life 1.0 and decay 0.01 in single precision this ends a spark
        // on its 100th step.
        if (effect.life <= kind.decay)
        {
            effect.dead = true;
        }
        kind.step(effect, state);
        ++it;
    }
}

// =============================================================================
// Spark hooks
// =============================================================================

void sparkInit(Effect& effect, GameState&)
{
    // The angle is kept in single precision and so is its sine; the two
    // components take separate radii of 1..128, so the spark does not fly
    // exactly along the angle. Each component ends up within -16..16.
    const float angle = static_cast<float>((std::rand() % 360) * 6.2831854820251465 / 360);
    const int32_t radiusX = (std::rand() & 127) + 1;
    const float sine = static_cast<float>(std::sin(static_cast<double>(angle)));
    effect.velX = static_cast<int32_t>(sine * radiusX * 0.125);
    const int32_t radiusY = (std::rand() & 127) + 1;
    const float cosine = static_cast<float>(std::cos(static_cast<double>(angle)));
    effect.velY = static_cast<int32_t>(cosine * radiusY * 0.125);
}

void sparkDraw(Effect& effect, GameState&)
{
    PutPixelClipped(effect.posX / SubPixels, effect.posY / SubPixels,
                    static_cast<int8_t>(effect.colour));
}

void effectDoesNothing(Effect&, GameState&)
{
}
