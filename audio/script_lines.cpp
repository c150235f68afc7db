// The shared script line reader (see script_lines.h).
#include "audio/script_lines.h"

namespace
{
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}
}  // namespace

bool ScriptLineReader::next(ScriptLine& line)
{
    while (at < text.size() && !lineTooLong)
    {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
        {
            end = text.size();
        }
        const std::string_view body = text.substr(at, end - at);
        at = end + 1;
        line.number = ++number;
        line.wordCount = 0;
        if (body.size() > MaxScriptLineBytes)
        {
            lineTooLong = true;
            return false;
        }

        size_t i = 0;
        while (i < body.size())
        {
            while (i < body.size() && IsBlank(body[i]))
            {
                ++i;
            }
            const size_t start = i;
            while (i < body.size() && !IsBlank(body[i]))
            {
                ++i;
            }
            if (i > start)
            {
                if (line.wordCount < MaxScriptWords)
                {
                    line.words[line.wordCount] = body.substr(start, i - start);
                }
                ++line.wordCount;
            }
        }
        if (line.wordCount > 0 && line.words[0][0] != '#')
        {
            return true;
        }
    }
    return false;
}

bool ParseDecimal(std::string_view word, uint64_t limit, uint64_t& value)
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
        if (value > (UINT64_MAX - 9) / 10)
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
