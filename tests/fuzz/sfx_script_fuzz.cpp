// Fuzz target: a sound-effect script as the audio export tool reads it (any
// bytes, embedded NULs and a missing final newline included), then played
// through the mixer as the tool plays it, for the first few device callbacks.
//
// The parser: an accepted call stays inside the limits the mixer was promised
// (lines in increasing order and within the text), and a rejection leaves no
// calls and an error that names a line. The mixer: within those limits any
// call renders without overflowing its integer conversions (the
// undefined-behaviour sanitizer) or reading past a voice or sample (the
// address sanitizer). One thread plays both the game and the audio side.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/mixer.h"
#include "audio/samples.h"
#include "audio/sfx_script.h"
#include "platform/threads.h"

namespace
{
constexpr int RenderCallbacks = 4;    // device callbacks mixed per input
constexpr int CallbackFrames = 2048;  // the device's buffer size
constexpr int FrameBytes = 4;         // 16-bit stereo

bool Within(float value, float limit)
{
    return std::isfinite(value) && std::fabs(value) <= limit;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The locks live as long as the fuzzer: it ends by exiting.
    CreateAudioLocks();
    // Decoded once: the mixer only reads the bank, so every input shares it.
    SampleDirectory = MIRELANTHA_SOURCE_DIR "/dat/samples";
    LoadSampleBank();
    return 0;
}

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

    OrderSfxCallsByCallback(calls);
    std::srand(1);
    AudioStartupState();
    SamplesLoaded = true;  // the start-up state clears it; the bank stays decoded
    MarkNewGame();
    static uint8_t buffer[CallbackFrames * FrameBytes];
    size_t next = 0;
    for (uint32_t callback = 0; callback < RenderCallbacks; callback++)
    {
        next = PlaySfxCallsBefore(calls, next, callback);
        AudioUpdate(true, false);  // the garden is open
        AudioCallback(nullptr, buffer, static_cast<int>(sizeof(buffer)));
    }
    return 0;
}
