// One voice on its own: sample voices, the grid, its pan and absurd volumes.

#include <cmath>
#include <utility>

#include "tests/audio/audio_harness.h"

TEST(InitVoice, SampleKindPlaysItsFramesOnceAndMissingOrUnknownSamplesFinishRightAfterTheDelay)
{
    StereoSample frames[3] = {{1000, -1000}, {-3, 3}, {32767, -32768}};
    const SampleData saved3 = SampleBank[3];
    const SampleData saved7 = SampleBank[7];
    SampleBank[3] = {frames, 3};
    SampleBank[7] = {nullptr, 0};  // failed to load

    // A sample plays its whole length at full level, whatever envelope was asked.
    Voice voice{};
    InitVoice(voice, FirstSampleKind + 3, 500, 5000, 50000, 1, 0.0f, 1.0f, 0.6f, 0.0f);
    EXPECT_EQ(voice.attack + voice.release, 0u);
    EXPECT_EQ(voice.sustain, 3u);
    voice.volume = 0.5f;  // a known level, centred
    voice.pan = 0.0f;
    // Silent through the delay, then each frame at half level (-1.5
    // truncated toward zero), then done.
    std::vector<std::pair<int, int>> out(5);
    std::generate(out.begin(), out.end(), [&voice] {
        const StereoSample frame = RenderVoice(voice);
        return std::pair<int, int>(frame.left, frame.right);
    });
    EXPECT_EQ(out, (std::vector<std::pair<int, int>>{{0, 0}, {500, -500}, {-1, 1}, {16383, -16384}, {0, 0}}));

    // One that failed to load, and a kind past the bank.
    for (int32_t kind : {FirstSampleKind + 7, FirstSampleKind + SampleCount + 5})
    {
        SCOPED_TRACE(kind);
        voice = Voice{};
        InitVoice(voice, kind, 500, 5000, 50000, 3, 0.0f, 1.0f, 0.6f, 0.0f);
        for (int i = 0; i < 3; ++i)
        {
            const StereoSample frame = RenderVoice(voice);
            EXPECT_TRUE(frame.left == 0 && frame.right == 0);
        }
        EXPECT_TRUE(VoiceFinished(voice));
    }
    SampleBank[3] = saved3;
    SampleBank[7] = saved7;
}

TEST(GridAlign, MovesAStartOffTheGridToTheNextLineAndSoftensItOffTheBeat)
{
    struct Case
    {
        uint32_t clock, delay;
        bool align;
        uint32_t alignedDelay;
        float volume;
    };
    const Case cases[] = {
        {0, 6300, true, 9450, 0.75f},   // off the grid: next line, not a beat
        {0, 9450, true, 9450, 1.0f},    // on the grid, off the beat: left alone
        {18800, 0, true, 100, 1.0f},    // counted from the clock, lands on beat 1
        {100, 0, true, 4625, 0.75f},
        {100, 0, false, 0, 1.0f},       // voices that opt out
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "clock " << c.clock << " delay " << c.delay);
        Voice voice = PlainVoice(KindSquare, 440.0f, 1.0f, c.delay, 0, 100, 0);
        voice.gridAlign = c.align;
        GridAlign(voice, c.clock);
        EXPECT_EQ(voice.delay, c.alignedDelay);
        EXPECT_EQ(voice.volume, c.volume);
    }
}

TEST(ApplyPan, KeepsTheCentreBandTruncatesGainsClampsAndWraps)
{
    struct Case
    {
        StereoSample in;
        float pan;
        int left, right;
    };
    const Case cases[] = {
        {{10000, -10000}, 0.04f, 10000, -10000},  // inside the centre band
        // Gains 1.02 and 0.98 from a float pan land just below round numbers.
        {{10000, 10000}, 0.05f, 10199, 9799},
        {{10000, 10000}, 3.0f, 14000, 6000},      // full pan, clamped
        {{30000, -30000}, 1.0f, 42000 - 65536, -18000},
        {{-3, 3}, 1.0f, -4, 1},                    // -4.2 and 1.8 toward zero
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.in.left << " pan " << c.pan);
        StereoSample out = ApplyPan(c.in, c.pan);
        EXPECT_EQ(out.left, c.left);
        EXPECT_EQ(out.right, c.right);
    }
}

TEST(Waveforms, AbsurdVolumeMakesNoiseRatherThanUndefinedBehaviour)
{
    Voice voice = PlainVoice(KindSquare, 441.0f, 1.0e30f, 0, 0, 10, 0);
    EXPECT_EQ(RenderVoice(voice).left, 0);  // INT32_MIN keeps no low bits
    Voice nan = PlainVoice(KindSine, 441.0f, NAN, 0, 0, 10, 0);
    nan.position = 25;
    EXPECT_EQ(RenderVoice(nan).left, 0);
}
