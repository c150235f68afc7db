// Fuzz target: the garden-replay key-log parser, fed any bytes.
//
// Checks that every accepted event is one the replay can deliver (iteration
// 1 or more, button 0..11), that a rejection names a line of the text, and
// that accepted events written back in the canonical form parse to the same
// events. Single-threaded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "game/replay_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<ReplayEvent> events;
    uint32_t errorLine = 0;
    std::string error;
    const bool accepted = ParseReplayEvents(text, events, errorLine, error);

    // Lines as the parser counts them: pieces between '\n'; a final '\n'
    // does not open another line.
    size_t lines = 0;
    for (size_t i = 0; i < size; i++)
    {
        lines += data[i] == '\n' ? 1 : 0;
    }
    if (size > 0 && data[size - 1] != '\n')
    {
        lines++;
    }

    if (!accepted && (errorLine == 0 || errorLine > lines || error.empty()))
    {
        std::abort();
    }
    if (events.size() > lines)
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

    if (accepted)
    {
        std::string canonical;
        for (const ReplayEvent& event : events)
        {
            canonical += std::to_string(event.iteration);
            canonical += event.down ? " down " : " up ";
            canonical += std::to_string(event.button);
            canonical += '\n';
        }
        std::vector<ReplayEvent> again;
        if (!ParseReplayEvents(canonical, again, errorLine, error) || again.size() != events.size())
        {
            std::abort();
        }
        for (size_t i = 0; i < events.size(); i++)
        {
            if (again[i].iteration != events[i].iteration || again[i].down != events[i].down ||
                again[i].button != events[i].button)
            {
                std::abort();
            }
        }
    }
    return 0;
}
