// GameState: the base of every game mode. Owns the entities (by id, ascending),
// the effects (oldest first) and the held buttons; runs the per-tick entity
// machinery and draws entities and effects. Main thread only.
#include "game/game_state.h"

#include <algorithm>

#include "game/sprites.h"

namespace
{

// Eases the drawn position one slide unit toward the cell centre. The factor
// is single precision and the rest double, as the positions were always made.
void slideStep(Entity& entity)
{
    if (entity.slideX > 0)
    {
        --entity.slideX;
    }
    else if (entity.slideX < 0)
    {
        ++entity.slideX;
    }
    if (entity.slideY > 0)
    {
        --entity.slideY;
    }
    else if (entity.slideY < 0)
    {
        ++entity.slideY;
    }
    const double factor = EntityTypes[entity.type].slideFactor;
    entity.posX = static_cast<int32_t>((entity.slideX * factor + entity.cellX * 12 + 6.0) * 64);
    entity.posY = static_cast<int32_t>((entity.slideY * factor + entity.cellY * 12 + 6.0) * 64);
}

}  // namespace

GameState::GameState() = default;

GameState::~GameState() = default;

Entity& GameState::spawnEntity(int32_t type, int32_t cellX, int32_t cellY)
{
    auto entity = std::make_unique<Entity>();
    entity->id = nextEntityId++;
    entity->type = type;
    entity->posX = cellX * CellUnits + CellUnits / 2;
    entity->posY = cellY * CellUnits + CellUnits / 2;
    entity->cellX = cellX;
    entity->cellY = cellY;
    entity->hp = EntityTypes[type].initialHp;
    Entity& stored = *entity;
    entities.emplace(stored.id, std::move(entity));
    return stored;
}

void GameState::update()
{
    // Behaviours never add or remove entities, so the walk is stable. The
    // timer and the slide step run even when the behaviour has just ended the
    // entity; only entities already dead on arrival are skipped.
    for (auto& [id, entity] : entities)
    {
        if (entity->hp < 0)
        {
            continue;
        }
        EntityTypes[entity->type].behaviour(*entity, *this);
        if (entity->timer > 0)
        {
            --entity->timer;
        }
        if (entity->type != EntityFlyer)
        {
            slideStep(*entity);
        }
    }
    reapEntities(*this);
    stepEffects(*this);
    ++tick;
}

void GameState::draw()
{
    drawEffects();
    drawEntities();
}

void GameState::drawEffects()
{
    for (auto& effect : effects)
    {
        EffectKinds[effect->kind].draw(*effect, *this);
    }
}

void GameState::drawEntities()
{
    for (auto& [id, entity] : entities)
    {
        // Truncating division: an entity half a pixel left of the screen is
        // centred on column 0.
        drawSprite(EntityTypes[entity->type].sprite, entity->posX / SubPixels,
                   entity->posY / SubPixels, entity->orientation, false);
    }
}

void GameState::buttonDown(int32_t button)
{
    heldButtons.push_back(button);
}

void GameState::buttonUp(int32_t button)
{
    heldButtons.remove(button);
}

void GameState::playerDied()
{
    // No rule of the garden ends the gardener; nothing to do.
}
