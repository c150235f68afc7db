// Fuzz target: the sound-effect script parser of the audio export tool, fed
// any bytes (embedded NULs and a missing final newline included).
//
// Checks that an accepted call stays inside the limits the mixer was promised
// (kind 0..SfxScriptMaxKind, finite values within their bounds, lines in
// increasing order and within the text), and that a rejection leaves no calls
// and an error that names a line. Single-threaded.
#include <algorithm>
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
    if (!ParseSfxScript(reinterpret_cast<const char*>(data), size, calls, error))
    {
        if (!calls.empty() || error.rfind("line ", 0) != 0)
        {
            std::abort();
        }
        return 0;
    }

    const size_t lines = 1 + std::count(data, data + size, '\n');
    int previousLine = 0;
    for (const SfxCall& call : calls)
    {
        if (!error.empty() || call.line <= previousLine || static_cast<size_t>(call.line) > lines || call.kind < 0 ||
            call.kind > SfxScriptMaxKind || !Within(call.volume, SfxScriptMaxLevel) ||
            !Within(call.pan, SfxScriptMaxLevel) || !Within(call.echoSend, SfxScriptMaxLevel) ||
            (call.extended && !Within(call.frequency, SfxScriptMaxFrequency)))
        {
            std::abort();
        }
        previousLine = call.line;
    }
    return 0;
}
