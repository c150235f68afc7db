// Parser of the garden-replay key log (see replay_script.h). It reads text
// from outside the program, so every line is checked in full: anything it does
// not understand is an error, never a guess. No globals; any thread.
#include "game/replay_script.h"

#include "audio/script_lines.h"

namespace
{

bool ParseLine(const ScriptLine& line, ReplayEvent& event, std::string& error)
{
    if (line.wordCount != 3)
    {
        error = "expected three fields: ITER down|up BUTTON";
        return false;
    }
    uint64_t iteration = 0;
    if (!ParseDecimal(line.words[0], UINT32_MAX, iteration) || iteration == 0)
    {
        error = "iteration must be a whole number from 1 to 4294967295";
        return false;
    }
    if (line.words[1] != "down" && line.words[1] != "up")
    {
        error = "action must be 'down' or 'up'";
        return false;
    }
    uint64_t button = 0;
    if (!ParseDecimal(line.words[2], 11, button))
    {
        error = "button must be a whole number from 0 to 11";
        return false;
    }
    event.iteration = static_cast<uint32_t>(iteration);
    event.down = line.words[1] == "down";
    event.button = static_cast<int32_t>(button);
    return true;
}

}  // namespace

bool ParseReplayEvents(std::string_view text, std::vector<ReplayEvent>& events,
                       uint32_t& errorLine, std::string& error)
{
    ScriptLineReader reader(text);
    ScriptLine line;
    while (reader.next(line))
    {
        ReplayEvent event{};
        if (!ParseLine(line, event, error))
        {
            errorLine = line.number;
            return false;
        }
        events.push_back(event);
    }
    if (reader.tooLong())
    {
        errorLine = line.number;
        error = "line longer than " + std::to_string(MaxScriptLineBytes) + " characters";
        return false;
    }
    return true;
}
