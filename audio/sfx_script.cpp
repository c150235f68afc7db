// Parser of sound-effect scripts (see sfx_script.h for the format).
//
// Reads untrusted text, so every field is checked completely: numbers must use
// the whole field, fit their type and stay finite and within the limits, and a
// line must have exactly the fields of its call. Any thread; no audio state.
#include "audio/sfx_script.h"

#include <algorithm>

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "audio/samples.h"
#include "audio/script_lines.h"
#include "audio/sound_effects.h"

namespace
{
bool ParseInteger(const std::string& field, long long low, long long high, long long& value)
{
    if (field.empty() || field.find('\0') != std::string::npos)
    {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(field.c_str(), &end, 10);
    if (errno != 0 || end != field.c_str() + field.size() || parsed < low || parsed > high)
    {
        return false;
    }
    value = parsed;
    return true;
}

bool ParseFloat(const std::string& field, float limit, float& value)
{
    if (field.empty() || field.find('\0') != std::string::npos)
    {
        return false;
    }
    char* end = nullptr;
    float parsed = std::strtof(field.c_str(), &end);
    if (end != field.c_str() + field.size() || !std::isfinite(parsed) ||
        std::fabs(parsed) > limit)
    {
        return false;
    }
    value = parsed;
    return true;
}

bool Fail(int line, const char* why, std::string& error)
{
    error = "line " + std::to_string(line) + ": " + why;
    return false;
}

bool ParseLine(const ScriptLine& words, int line, SfxCall& call, std::string& error)
{
    // Fields are copied so that strtol/strtof see a terminated string even
    // when the script itself is not terminated.
    std::vector<std::string> fields;
    for (int i = 0; i < words.wordCount && i < MaxScriptWords; i++)
    {
        fields.emplace_back(words.words[i]);
    }
    if (words.wordCount > MaxScriptWords)
    {
        fields.emplace_back();  // too many either way
    }

    call = SfxCall{};
    call.line = line;

    const std::string& verb = fields.size() >= 2 ? fields[1] : std::string();
    if (verb == "sound")
    {
        call.extended = false;
        if (fields.size() != 5)
        {
            return Fail(line, "expected: CB sound KIND VOLUME PAN", error);
        }
    }
    else if (verb == "soundex")
    {
        call.extended = true;
        if (fields.size() != 7)
        {
            return Fail(line, "expected: CB soundex KIND FREQUENCY VOLUME ECHO PAN", error);
        }
    }
    else
    {
        return Fail(line, "expected 'sound' or 'soundex' after the callback number", error);
    }

    long long callback = 0;
    if (!ParseInteger(fields[0], 0, UINT32_MAX, callback))
    {
        return Fail(line, "callback number must be an integer from 0 to 4294967295", error);
    }
    call.callback = static_cast<uint32_t>(callback);

    long long kind = 0;
    if (!ParseInteger(fields[2], 0, SfxScriptMaxKind, kind))
    {
        return Fail(line, "kind must be an integer from 0 to 50", error);
    }
    call.kind = static_cast<int32_t>(kind);

    size_t next = 3;
    if (call.extended && !ParseFloat(fields[next++], SfxScriptMaxFrequency, call.frequency))
    {
        return Fail(line, "frequency must be a number from -100000 to 100000", error);
    }
    if (!ParseFloat(fields[next++], SfxScriptMaxLevel, call.volume))
    {
        return Fail(line, "volume must be a number from -1000 to 1000", error);
    }
    if (call.extended && !ParseFloat(fields[next++], SfxScriptMaxLevel, call.echoSend))
    {
        return Fail(line, "echo send must be a number from -1000 to 1000", error);
    }
    if (!ParseFloat(fields[next++], SfxScriptMaxLevel, call.pan))
    {
        return Fail(line, "pan must be a number from -1000 to 1000", error);
    }
    if (!call.extended)
    {
        call.echoSend = 0.6f;  // what PlaySound passes on; informative only
    }
    return true;
}
}  // namespace

bool ParseSfxScript(const char* text, size_t size, std::vector<SfxCall>& calls,
                    std::string& error)
{
    calls.clear();
    error.clear();
    ScriptLineReader reader(std::string_view(text, size));
    ScriptLine line;
    while (reader.next(line))
    {
        SfxCall call;
        if (!ParseLine(line, static_cast<int>(line.number), call, error))
        {
            calls.clear();
            return false;
        }
        calls.push_back(call);
    }
    if (reader.tooLong())
    {
        calls.clear();
        return Fail(static_cast<int>(line.number),
                    ("longer than " + std::to_string(MaxScriptLineBytes) + " characters").c_str(), error);
    }
    return true;
}

void OrderSfxCallsByCallback(std::vector<SfxCall>& calls)
{
    std::stable_sort(calls.begin(), calls.end(),
                     [](const SfxCall& a, const SfxCall& b) { return a.callback < b.callback; });
}

size_t PlaySfxCallsBefore(const std::vector<SfxCall>& calls, size_t next, uint64_t callback)
{
    while (next < calls.size() && calls[next].callback == callback)
    {
        const SfxCall& call = calls[next++];
        if (call.extended)
        {
            PlaySoundEx(call.kind, call.frequency, call.volume, call.echoSend, call.pan);
        }
        else
        {
            PlaySound(call.kind, call.volume, call.pan);
        }
    }
    return next;
}
