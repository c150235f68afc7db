// Fuzz target: the garden-replay key-log parser, fed any bytes.
//
// Checks that every accepted event is one the replay can deliver (iteration
// 1 or more, button 0..11), that a rejection names a line of the text, and
// that accepted events written back in the canonical form parse to the same
// events. Single-threaded.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "game/replay_script.h"

namespace
{
std::string Canonical(const std::vector<ReplayEvent>& events)
{
    std::string text;
    for (const ReplayEvent& event : events)
    {
        text += std::to_string(event.iteration) + (event.down ? " down " : " up ") + std::to_string(event.button) + '\n';
    }
    return text;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<ReplayEvent> events;
    uint32_t errorLine = 0;
    std::string error;
    const bool accepted = ParseReplayEvents(text, events, errorLine, error);

    // Lines as the parser counts them: pieces between '\n'; a final '\n'
    // does not open another line.
    const size_t lines = std::count(data, data + size, '\n') + (size > 0 && data[size - 1] != '\n' ? 1 : 0);
    if ((!accepted && (errorLine == 0 || errorLine > lines || error.empty())) || events.size() > lines)
    {
        std::abort();
    }
    for (const ReplayEvent& event : events)
    {
        if (event.iteration == 0 || event.button < 0 || event.button > 11)
        {
            std::abort();
        }
    }

    std::vector<ReplayEvent> again;
    if (accepted && (!ParseReplayEvents(Canonical(events), again, errorLine, error) || Canonical(again) != Canonical(events)))
    {
        std::abort();
    }
    return 0;
}
