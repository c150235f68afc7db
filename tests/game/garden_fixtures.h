// Shared set-ups for the garden tests and the key log's fuzz target: a garden
// opened on a chosen board, small board and screen helpers, and key logs as text.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/game_title.h"
#include "game/replay_script.h"

// A new garden from a fixed seed, still planting, with an empty board.
inline std::unique_ptr<GameTitle> NewGarden(unsigned seed)
{
    std::srand(seed);
    return std::make_unique<GameTitle>();
}

// A running garden on an empty board (stock emptied by hand), gardener at (0, 7).
inline std::unique_ptr<GameTitle> OpenEmptyGarden(unsigned seed)
{
    auto garden = NewGarden(seed);
    std::fill(std::begin(garden->tileStock), std::end(garden->tileStock), 0);
    garden->openGarden();
    return garden;
}

inline Entity& Gardener(GameTitle& garden)
{
    return *garden.entities.begin()->second;
}

using Cell = std::pair<int32_t, int32_t>;

inline Cell CellOf(const Entity& e)
{
    return {e.cellX, e.cellY};
}

inline int CountOf(const GameTitle& garden, int32_t type)
{
    return static_cast<int>(std::count_if(garden.entities.begin(), garden.entities.end(),
                                          [&](const auto& entry) { return entry.second->type == type; }));
}

// Runs `count` updates, or `count` of another step such as the garden's own tick.
inline void Steps(GameTitle& garden, int count, void (GameTitle::*step)() = &GameTitle::update)
{
    for (int i = 0; i < count; ++i)
    {
        (garden.*step)();
    }
}

// Key log events in their canonical form, one "ITER down|up BUTTON" line each.
inline std::string ReplayText(const std::vector<ReplayEvent>& events)
{
    std::string text;
    for (const ReplayEvent& event : events)
    {
        text += std::to_string(event.iteration) + (event.down ? " down " : " up ") + std::to_string(event.button) + '\n';
    }
    return text;
}
