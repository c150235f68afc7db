// Shared set-ups for the garden tests: a garden opened on a chosen board, and
// small board and screen helpers.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

#include "game/game_title.h"

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

inline void Steps(GameTitle& garden, int count)
{
    for (int i = 0; i < count; ++i)
    {
        garden.update();
    }
}
