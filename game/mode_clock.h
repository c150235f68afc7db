// How a game starts and how its updates keep pace with the clock: the one
// piece of code the shell and the headless replay both drive, so a replayed
// game runs exactly the updates the real one ran. Main thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "game/game_title.h"

// A new garden with its first update already run and `clock` set to 0: the
// mode's tick is then one ahead of the clock, so the next tick runs no update.
std::unique_ptr<GameTitle> StartGarden(uint32_t& clock);

// Advances `clock` by `ticks` and runs the mode's updates until its tick has
// caught up, then sets the clock to the mode's tick.
void CatchUpMode(GameState& mode, uint32_t& clock, uint32_t ticks);
