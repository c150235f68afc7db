// Fuzz target: a key log as the garden-replay tool reads it, then the game it
// plays. The first four bytes are the seed, the rest the log.
//
// The parser: accepted events are ones the replay can deliver and read back
// the same from their canonical form; a rejection names a line of the text.
// An accepted log then drives a headless game a little past its last event,
// so any order of presses, placements and Space meets the planting phase and
// the running garden: planting only moves tiles between the stock and the
// board, and the cursor stays on the board. Single-threaded; the sanitizers
// are the oracle for the rest.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include "game/garden_replay.h"
#include "tests/game/garden_fixtures.h"

namespace
{
// Iterations played at most; the garden's visitors need thousands of ticks,
// which the soak run covers, so this stays short to keep the fuzzer quick.
constexpr uint64_t ReplayLimit = 1500;
constexpr uint64_t ReplayTail = 40;  // iterations played after the last event

void Check(bool fact)
{
    if (!fact)
    {
        std::abort();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
    {
        return 0;
    }
    const uint32_t seed = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                          static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    const std::string_view text(reinterpret_cast<const char*>(data + 4), size - 4);
    std::vector<ReplayEvent> events;
    uint32_t errorLine = 0;
    std::string error;
    const bool accepted = ParseReplayEvents(text, events, errorLine, error);

    // Lines as the parser counts them: pieces between '\n'; a final '\n'
    // does not open another line.
    const size_t lines = std::count(text.begin(), text.end(), '\n') + (!text.empty() && text.back() != '\n');
    Check((accepted || (errorLine > 0 && errorLine <= lines && !error.empty())) && events.size() <= lines);
    if (!accepted)
    {
        return 0;
    }
    uint64_t last = 0;
    for (const ReplayEvent& event : events)
    {
        Check(event.iteration > 0 && event.button >= 0 && event.button <= 11);
        last = std::max<uint64_t>(last, event.iteration);
    }
    std::vector<ReplayEvent> again;
    Check(ParseReplayEvents(ReplayText(events), again, errorLine, error) && ReplayText(again) == ReplayText(events));

    GardenReplay replay(seed, std::move(events));
    for (uint64_t i = 0; i < std::min(ReplayLimit, last + ReplayTail); i++)
    {
        replay.step();
    }
    // Blight may clear tiles once the garden runs.
    const GameTitle& garden = replay.mode();
    const auto onBoard = std::count_if(std::begin(garden.tiles), std::end(garden.tiles), [](int32_t t) { return t != 0; });
    const int32_t stock = std::accumulate(std::begin(garden.tileStock), std::end(garden.tileStock), 0);
    Check(std::none_of(std::begin(garden.tileStock), std::end(garden.tileStock), [](int32_t n) { return n < 0; }) &&
          (!garden.planting || onBoard + stock == 36) && garden.cursorX >= 0 && garden.cursorX <= 7 &&
          garden.cursorY >= 0 && garden.cursorY <= 7);
    (void)replay.stateJson();
    return 0;
}
