// GardenReplay: one garden game driven headless, exactly as the shell drives
// it when every main-loop iteration runs exactly one tick, with no display and
// no audio. Reproduces a game from a seed and a key log; the garden-replay
// tool and the tests run games through it. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/game_title.h"
#include "game/replay_script.h"

class GardenReplay
{
public:
    // Seeds rand, sets the palette to its silent start (all colours 0, drift
    // speed 24, tick counter 0), then iteration 0: the new game's first update.
    GardenReplay(uint32_t seed, std::vector<ReplayEvent> events);

    // The next iteration: its events in file order, one shell tick of catch-up
    // updates, one palette tick.
    void step();

    uint64_t iteration() const { return currentIteration; }
    GameTitle& mode() { return *garden; }

    // The state after the current iteration as one line of JSON (no newline).
    std::string stateJson() const;

private:
    std::unique_ptr<GameTitle> garden;
    std::vector<ReplayEvent> script;  // sorted by iteration, file order kept within one
    size_t nextEvent = 0;
    uint32_t shellClock = 0;
    uint64_t currentIteration = 0;
};
