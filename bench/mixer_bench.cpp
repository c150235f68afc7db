// The mixer under full load: 2048-frame callbacks with all 128 voices active
// (64 sound effects on the synthesised kinds, 64 square-wave music notes) and
// the echo network. Real time is 2048 / 44100 s = 46.4 ms per callback; the
// goal is under 0.46 ms (100x real time) on one core.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "audio/block_render.h"
#include "audio/mixer.h"
#include "audio/music.h"
#include "platform/threads.h"
#include "audio/voices.h"

namespace
{
constexpr int CallbackFrames = 2048;

void FillPool()
{
    // Created once for the whole run, as the game does at start-up.
    static const bool locksCreated = (CreateAudioLocks(), true);
    (void)locksCreated;
    AudioStartupState();
    std::srand(2024);
    const int32_t kinds[] = {1, 4, 5, 7, 9, 11, 12};
    for (int v = 0; v < SfxVoiceCount; ++v)
    {
        float frequency = 110.0f + 37.5f * static_cast<float>(v);
        // Long enough (about 3.8 minutes) to stay active through every iteration.
        InitVoice(Voices[v], kinds[v % 7], 3000, 10000000, 3000, 0, frequency, 0.05f, 0.5f,
                  0.1f * static_cast<float>(v % 5 - 2));
        VoiceActive[v] = true;
    }
    for (int m = 0; m < 64; ++m)
    {
        float frequency = NoteFrequencies[m % 24] * (m < 24 ? 0.5f : 1.0f);
        InitVoice(Voices[MusicVoiceBase + m], 9, 0, 10000000, 0, 0, frequency, 0.04f, 1.0f, 0.0f);
        VoiceActive[MusicVoiceBase + m] = true;
    }
}

void MixerBlocked(benchmark::State& state)
{
    FillPool();
    std::vector<uint8_t> buffer(4 * CallbackFrames);
    for (auto _ : state)
    {
        AudioCallback(nullptr, buffer.data(), static_cast<int>(buffer.size()));
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["x_real_time"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * CallbackFrames / 44100.0,
        benchmark::Counter::kIsRate);
}
BENCHMARK(MixerBlocked)->Unit(benchmark::kMicrosecond);

// The block path on the baseline build of the renderer's kernel, which CPUs
// without AVX2 run.
void MixerBlockedBaselineKernel(benchmark::State& state)
{
    const BlockKernel chosen = ActiveBlockKernel();
    UseBlockKernel(BlockKernel::Baseline);
    MixerBlocked(state);
    UseBlockKernel(chosen);
}
BENCHMARK(MixerBlockedBaselineKernel)->Unit(benchmark::kMicrosecond);

void MixerPlainReference(benchmark::State& state)
{
    FillPool();
    std::vector<uint8_t> buffer(4 * CallbackFrames);
    for (auto _ : state)
    {
        AudioExchange();
        MixFramesPlain(buffer.data(), CallbackFrames);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["x_real_time"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * CallbackFrames / 44100.0,
        benchmark::Counter::kIsRate);
}
BENCHMARK(MixerPlainReference)->Unit(benchmark::kMicrosecond);
}  // namespace
