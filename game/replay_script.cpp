// Parser of the garden-replay key log (see replay_script.h). It reads text
// from outside the program, so every line is checked in full: anything it does
// not understand is an error, never a guess. No globals; any thread.
#include "game/replay_script.h"

namespace
{

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// Splits a line into at most `max` blank-separated words; false if it has more.
bool SplitWords(std::string_view line, std::string_view* words, int max, int& count)
{
    count = 0;
    size_t i = 0;
    while (i < line.size())
    {
        while (i < line.size() && IsBlank(line[i]))
        {
            ++i;
        }
        if (i == line.size())
        {
            break;
        }
        const size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
        {
            ++i;
        }
        if (count == max)
        {
            return false;
        }
        words[count++] = line.substr(start, i - start);
    }
    return true;
}

// A plain decimal number without sign, at most `limit`.
bool ParseNumber(std::string_view word, uint64_t limit, uint64_t& value)
{
    if (word.empty())
    {
        return false;
    }
    value = 0;
    for (char c : word)
    {
        if (c < '0' || c > '9')
        {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit)
        {
            return false;
        }
    }
    return true;
}

bool ParseLine(std::string_view line, ReplayEvent& event, std::string& error)
{
    std::string_view words[3];
    int count = 0;
    if (!SplitWords(line, words, 3, count) || count != 3)
    {
        error = "expected three fields: ITER down|up BUTTON";
        return false;
    }
    uint64_t iteration = 0;
    if (!ParseNumber(words[0], UINT32_MAX, iteration) || iteration == 0)
    {
        error = "iteration must be a whole number from 1 to 4294967295";
        return false;
    }
    if (words[1] != "down" && words[1] != "up")
    {
        error = "action must be 'down' or 'up'";
        return false;
    }
    uint64_t button = 0;
    if (!ParseNumber(words[2], 11, button))
    {
        error = "button must be a whole number from 0 to 11";
        return false;
    }
    event.iteration = static_cast<uint32_t>(iteration);
    event.down = words[1] == "down";
    event.button = static_cast<int32_t>(button);
    return true;
}

}  // namespace

bool ParseReplayEvents(std::string_view text, std::vector<ReplayEvent>& events,
                       uint32_t& errorLine, std::string& error)
{
    uint32_t lineNumber = 0;
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
        {
            end = text.size();
        }
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;

        size_t first = 0;
        while (first < line.size() && IsBlank(line[first]))
        {
            ++first;
        }
        if (first == line.size() || line[first] == '#')
        {
            continue;
        }
        ReplayEvent event{};
        if (!ParseLine(line, event, error))
        {
            errorLine = lineNumber;
            return false;
        }
        events.push_back(event);
    }
    return true;
}
