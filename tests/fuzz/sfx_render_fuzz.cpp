// Fuzz target: a sound-effect script parsed and then played through the
// mixer, as the audio export tool plays it, for the first few device
// callbacks. The parser's limits promise that any accepted call renders
// without overflowing the mixer's integer conversions; the undefined-behaviour
// sanitizer checks that promise here, the address sanitizer the voice and
// sample reads. One thread plays both the game side and the audio side.
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
constexpr int RenderCallbacks = 4;     // device callbacks mixed per input
constexpr int CallbackFrames = 2048;   // the device's buffer size
constexpr int FrameBytes = 4;          // 16-bit stereo
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
        return 0;
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
