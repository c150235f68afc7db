// Fuzz target: a garden game played from any key log. The log is parsed as
// the garden-replay tool does; an accepted log then drives a headless game
// for up to ReplayLimit main-loop iterations (a little past its last event),
// so any order of presses, releases, placements and Space is tried against
// the planting phase and the running garden. Single-threaded; the sanitizers
// are the oracle, plus a few facts a player can see on the board.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include "game/garden_replay.h"

namespace
{
// Iterations played at most; the garden's visitors need thousands of ticks,
// which the soak run covers, so this stays short to keep the fuzzer quick.
constexpr uint64_t ReplayLimit = 1500;
constexpr uint64_t ReplayTail = 40;  // iterations played after the last event
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
    {
        return 0;
    }
    // The first four bytes are the seed, the rest the key log.
    const uint32_t seed = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                          static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    const std::string_view text(reinterpret_cast<const char*>(data + 4), size - 4);
    std::vector<ReplayEvent> events;
    uint32_t errorLine = 0;
    std::string error;
    if (!ParseReplayEvents(text, events, errorLine, error))
    {
        return 0;
    }
    uint64_t last = 0;
    for (const ReplayEvent& event : events)
    {
        last = std::max<uint64_t>(last, event.iteration);
    }
    const uint64_t iterations = std::min(ReplayLimit, last + ReplayTail);

    GardenReplay replay(seed, std::move(events));
    for (uint64_t i = 0; i < iterations; i++)
    {
        replay.step();
    }

    // Planting only moves tiles between the stock and the board (blight may
    // clear tiles once the garden runs).
    const GameTitle& garden = replay.mode();
    const auto onBoard = std::count_if(std::begin(garden.tiles), std::end(garden.tiles), [](int32_t t) { return t != 0; });
    const int32_t stock = std::accumulate(std::begin(garden.tileStock), std::end(garden.tileStock), 0);
    if (std::any_of(std::begin(garden.tileStock), std::end(garden.tileStock), [](int32_t n) { return n < 0; }) ||
        (garden.planting && onBoard + stock != 36) || garden.cursorX < 0 || garden.cursorX > 7 || garden.cursorY < 0 ||
        garden.cursorY > 7)
    {
        std::abort();
    }
    (void)replay.stateJson();
    return 0;
}
