// Fuzz target: the sound-effect script parser of the audio export tool, fed
// any bytes (embedded NULs and a missing final newline included).
//
// Checks that an accepted call stays inside the limits the mixer was promised
// (kind 0..SfxScriptMaxKind, finite values within their bounds, lines in
// increasing order and within the text), and that a rejection leaves no calls
// and an error that names a line. Single-threaded.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/sfx_script.h"

namespace
{
bool Within(float value, float limit)
{
    return std::isfinite(value) && std::fabs(value) <= limit;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<SfxCall> calls;
    std::string error;
    const bool accepted = ParseSfxScript(reinterpret_cast<const char*>(data), size, calls, error);
    if (!accepted)
    {
        if (!calls.empty() || error.rfind("line ", 0) != 0)
        {
            std::abort();
        }
        return 0;
    }
    if (!error.empty())
    {
        std::abort();
    }

    size_t lines = 1;
    for (size_t i = 0; i < size; i++)
    {
        lines += data[i] == '\n' ? 1 : 0;
    }
    int previousLine = 0;
    for (const SfxCall& call : calls)
    {
        if (call.line <= previousLine || static_cast<size_t>(call.line) > lines)
        {
            std::abort();
        }
        previousLine = call.line;
        if (call.kind < 0 || call.kind > SfxScriptMaxKind)
        {
            std::abort();
        }
        if (!Within(call.volume, SfxScriptMaxLevel) || !Within(call.pan, SfxScriptMaxLevel) ||
            !Within(call.echoSend, SfxScriptMaxLevel))
        {
            std::abort();
        }
        if (call.extended && !Within(call.frequency, SfxScriptMaxFrequency))
        {
            std::abort();
        }
    }
    return 0;
}
