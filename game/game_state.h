// GameState: the base class of a running game mode. See game_state.cpp.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>

#include "game/effects.h"
#include "game/entity.h"

// The twelve logical buttons, in key-table order.
enum Button : int32_t
{
    ButtonUp = 0,
    ButtonDown = 1,
    ButtonLeft = 2,
    ButtonRight = 3,
    ButtonZ = 4,
    ButtonX = 5,
    ButtonC = 6,
    ButtonV = 7,
    ButtonB = 8,
    ButtonN = 9,
    ButtonM = 10,
    ButtonSpace = 11,
};
constexpr int ButtonCount = 12;

class GameState
{
public:
    GameState();
    virtual void update();
    virtual void draw();
    virtual void drawEffects();
    virtual void drawEntities();
    virtual void buttonDown(int32_t button);
    virtual void buttonUp(int32_t button);
    virtual void playerDied();
    // Virtual, and last in the table, so that destroying the mode through the
    // shell's GameState pointer is well defined for every derived mode.
    virtual ~GameState();

    Entity& spawnEntity(int32_t type, int32_t cellX, int32_t cellY);

    uint32_t tick = 0;
    std::map<uint32_t, std::unique_ptr<Entity>> entities;
    std::list<std::unique_ptr<Effect>> effects;
    std::list<int32_t> heldButtons;
    uint32_t nextEntityId = 1;
};
