// The key log of a replayed garden: one button event per line,
//
//     ITER down|up BUTTON
//
// with ITER the main-loop iteration (1 or more) that delivers it and BUTTON
// 0..11. Blank lines and lines whose first non-blank character is '#' are
// skipped. Used by the garden-replay tool and its tests; no globals.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ReplayEvent
{
    uint32_t iteration;  // 1..4294967295
    bool down;           // true: buttonDown, false: buttonUp
    int32_t button;      // 0..11
};

// Appends the events of `text` to `events` in file order. On the first
// malformed line returns false with `errorLine` set to its number (from 1) and
// `error` saying what is wrong; `events` then holds the lines before it.
bool ParseReplayEvents(std::string_view text, std::vector<ReplayEvent>& events,
                       uint32_t& errorLine, std::string& error);
