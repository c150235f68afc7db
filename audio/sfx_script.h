// Scripts of sound-effect starts for the audio export tool: which PlaySound or
// PlaySoundEx call runs before which mixer callback. Parsing is pure text and
// runs on any thread; playing a script's calls is the game thread's job.
//
// One call per line, fields separated by blanks:
//     CB sound KIND VOLUME PAN
//     CB soundex KIND FREQUENCY VOLUME ECHO PAN
// CB is the number of the callback (0, 1, ...) the call runs before. Blank
// lines and lines whose first non-blank character is '#' are skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SfxCall
{
    uint32_t callback;  // runs before AudioCallback number `callback`
    bool extended;      // PlaySoundEx rather than PlaySound
    int32_t kind;
    float frequency;    // Hz; PlaySoundEx only
    float volume;
    float echoSend;     // PlaySoundEx only
    float pan;
    int line;           // 1-based line in the script, for messages
};

// Limits that keep a scripted call inside what the mixer can render without
// overflowing its integer conversions: kinds up to the last sample, finite
// values of modest size.
constexpr int32_t SfxScriptMaxKind = 50;
constexpr float SfxScriptMaxFrequency = 100000.0f;  // Hz
constexpr float SfxScriptMaxLevel = 1000.0f;        // volume, echo send and pan

// Parses a whole script. On success fills `calls` in file order and returns
// true; otherwise returns false with `error` naming the first bad line
// ("line 3: ..."). Safe for any bytes, including embedded NULs.
bool ParseSfxScript(const char* text, size_t size, std::vector<SfxCall>& calls,
                    std::string& error);

// A script need not be sorted: each callback runs its own lines in file order,
// wherever they stand. This orders the calls by callback, keeping file order.
void OrderSfxCallsByCallback(std::vector<SfxCall>& calls);

// Plays, in order, the calls from index `next` on that run before callback
// number `callback` (the calls ordered as above). Returns the index of the
// first call not played.
size_t PlaySfxCallsBefore(const std::vector<SfxCall>& calls, size_t next, uint64_t callback);
