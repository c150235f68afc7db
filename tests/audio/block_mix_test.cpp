// The block renderer against the frame-by-frame loop: the same voices, the
// same music and the same sound-effect starts must give the same bytes, the
// same finished-voice reports in the same order and the same rand() state.
#include "tests/audio/audio_harness.h"

namespace
{
constexpr int CallbackFrames = 2048;

struct Outcome
{
    std::vector<uint8_t> bytes;
    std::vector<int> reports;  // every report, in the order the mixer made them
    std::vector<uint32_t> positions;
    int nextRand;
};

// Short synthetic recordings for the drums and effects, so sample voices
// play and finish within the run.
std::vector<StereoSample> FakeSamples[SampleCount];

void InstallFakeBank()
{
    for (int id = 0; id < SampleCount; ++id)
    {
        std::vector<StereoSample>& frames = FakeSamples[id];
        frames.resize(1500 + 700 * static_cast<size_t>(id));
        for (size_t i = 0; i < frames.size(); ++i)
        {
            int value = static_cast<int>((i * (37 + id)) % 20000) - 10000;
            frames[i] = {static_cast<int16_t>(value), static_cast<int16_t>(-value / 2)};
        }
        SampleBank[id] = {frames.data(), static_cast<uint32_t>(frames.size())};
    }
    SamplesLoaded = true;
}

// Starts sound effects on free voices the way PlaySoundEx does.
void StartEffects(int wave, int noiseVoices)
{
    // Every synthesised kind, two samples, and two silent kinds.
    const int32_t kinds[] = {KindSine,     KindSineSweepUp,   KindSineFall,         KindSineGlide,
                             KindFmSine,   KindSquare,        KindSquareFall,       KindSquareSweepUp,
                             KindTriangle, SampleKind(SoundRespawn), SampleKind(SoundDrum0 + 3),
                             KindSilence,  13};
    int started = 0;
    for (int i = 0; i < SfxVoiceCount && started < 24; ++i)
    {
        if (!SfxVoiceInUse[i])
        {
            // Kinds, envelopes and pitches vary with the voice and the wave.
            const auto step = [&](int a, int b, int n) { return static_cast<uint32_t>((a * i + b * wave) % n); };
            StartSfxVoice(i, started < noiseVoices ? KindNoise : kinds[step(7, 3, 13)], 300 + 911 * step(1, 1, 4),
                          2000 + 3331 * step(3, 1, 6), 1000 + 4409 * step(1, 2, 5), 80.0f + 97.3f * step(5, 1, 23),
                          0.3f, 0.45f, 0.3f * static_cast<float>(i % 7 - 3));
            started += 1;
        }
    }
}

Outcome MixScenario(bool blocked, unsigned seed, int noiseVoices, int callbacks, uint32_t startClock = 0)
{
    MusicSection = 0;
    std::srand(seed);
    AudioStartupState();
    SampleClock = startClock;
    InstallFakeBank();
    MarkNewGame();

    Outcome outcome;
    std::vector<uint8_t> buffer(4 * CallbackFrames);
    for (int c = 0; c < callbacks; ++c)
    {
        if (c % 9 == 0)
        {
            StartEffects(c / 9, noiseVoices);
        }
        // The second half runs under the game music with the garden open
        // (a mode with no planting phase left), which draws differently.
        AudioUpdate(c >= callbacks / 2, false);
        AudioExchange();
        int already = AudioSlots[mixerSlot].voiceIds.count;
        // Odd sizes too, so blocks end anywhere, not only at buffer ends.
        int frames = c % 5 == 4 ? 777 : CallbackFrames;
        (blocked ? MixFramesBlocked : MixFramesPlain)(buffer.data(), frames);
        outcome.bytes.insert(outcome.bytes.end(), buffer.begin(), buffer.begin() + 4 * frames);
        const VoiceIdList& after = AudioSlots[mixerSlot].voiceIds;
        outcome.reports.insert(outcome.reports.end(), after.ids + already, after.ids + after.count);
    }
    std::transform(std::begin(Voices), std::end(Voices), std::back_inserter(outcome.positions),
                   [](const Voice& voice) { return voice.position; });
    outcome.nextRand = std::rand();
    std::fill(SampleBank, SampleBank + SampleCount, SampleData{nullptr, 0});
    SamplesLoaded = false;
    return outcome;
}

}  // namespace

TEST(BlockMix, EachKernelGivesTheSameBytesReportsAndRandStateAsTheFrameByFrameLoop)
{
    // The long run covers about 35 beats: chord changes, title and game
    // music, drums, every synthesised kind in all its phases and many voices
    // finishing. The short ones add one, then several noise voices that draw
    // rand() in turn inside their blocks. The last starts just before the
    // 32-bit clock wraps to 0 (after about 27 hours), which is a beat start
    // although it is not 18900 frames after the last one.
    struct Case
    {
        unsigned seed;
        int noiseVoices, callbacks;
        uint32_t startClock;
    };
    const BlockKernel chosen = ActiveBlockKernel();
    for (BlockKernel kernel : {BlockKernel::Baseline, BlockKernel::Avx2})
    {
        if (!BlockKernelSupported(kernel))
        {
            continue;  // this CPU cannot run that build of the kernel
        }
        UseBlockKernel(kernel);
        for (Case c : {Case{77, 0, 180, 0}, Case{5, 1, 60, 0}, Case{6, 3, 60, 0}, Case{12, 0, 4, 0u - 3000u}})
        {
            SCOPED_TRACE(testing::Message() << (kernel == BlockKernel::Avx2 ? "Avx2" : "Baseline") << " seed "
                                            << c.seed << " noise voices " << c.noiseVoices);
            Outcome plain = MixScenario(false, c.seed, c.noiseVoices, c.callbacks, c.startClock);
            Outcome blocked = MixScenario(true, c.seed, c.noiseVoices, c.callbacks, c.startClock);
            EXPECT_GT(plain.reports.size(), c.callbacks > 100 ? 50u : 0u);
            EXPECT_TRUE(plain.bytes == blocked.bytes)
                << "first differing frame "
                << (std::mismatch(plain.bytes.begin(), plain.bytes.end(), blocked.bytes.begin(), blocked.bytes.end())
                        .first - plain.bytes.begin()) / 4;
            EXPECT_EQ(plain.reports, blocked.reports);
            EXPECT_EQ(plain.positions, blocked.positions);
            EXPECT_EQ(plain.nextRand, blocked.nextRand);
        }
    }
    UseBlockKernel(chosen);
}
