// StartGarden and CatchUpMode (see mode_clock.h).
#include "game/mode_clock.h"

std::unique_ptr<GameTitle> StartGarden(uint32_t& clock)
{
    clock = 0;
    auto garden = std::make_unique<GameTitle>();
    garden->update();
    return garden;
}

void CatchUpMode(GameState& mode, uint32_t& clock, uint32_t ticks)
{
    clock += ticks;
    while (mode.tick < clock)
    {
        mode.update();
    }
    clock = mode.tick;
}
