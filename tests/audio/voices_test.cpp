// One voice on its own: its start, its envelope, its waveforms and its pan.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "audio/mixer.h"
#include "audio/samples.h"
#include "audio/voices.h"

namespace
{
// A voice with no random pan jitter or volume boost, so its frames can be
// predicted by hand.
Voice PlainVoice(int32_t kind, float frequency, float volume, uint32_t delay, uint32_t attack,
                 uint32_t sustain, uint32_t release)
{
    Voice voice{};
    voice.kind = kind;
    voice.frequency = frequency;
    voice.volume = volume;
    voice.delay = delay;
    voice.attack = attack;
    voice.sustain = sustain;
    voice.release = release;
    voice.pan = 0.0f;
    voice.gridAlign = true;
    return voice;
}

std::vector<StereoSample> Render(Voice& voice, int frames)
{
    std::vector<StereoSample> out;
    for (int i = 0; i < frames; ++i)
    {
        out.push_back(RenderVoice(voice));
    }
    return out;
}

bool Silent(StereoSample frame)
{
    return frame.left == 0 && frame.right == 0;
}
}  // namespace

TEST(VoiceTiming, DelayedVoiceGivesExactlyItsDelayInSilentFramesThenSounds)
{
    Voice voice = PlainVoice(9, 441.0f, 0.5f, 7, 0, 100, 0);
    std::vector<StereoSample> frames = Render(voice, 8);
    for (int i = 0; i < 7; ++i)
    {
        EXPECT_TRUE(Silent(frames[i])) << "frame " << i;
    }
    // Frame 7 is position 7 of a 441 Hz square: first half period, low.
    EXPECT_EQ(frames[7].left, -8191);
    EXPECT_EQ(frames[7].right, -8191);
    EXPECT_EQ(voice.position, 8u);
}

TEST(VoiceTiming, VoiceWithAllLengthsZeroRendersOneSilentFrameAndIsFinished)
{
    Voice voice = PlainVoice(9, 441.0f, 1.0f, 0, 0, 0, 0);
    EXPECT_TRUE(Silent(RenderVoice(voice)));
    EXPECT_TRUE(VoiceFinished(voice));
}

TEST(VoiceTiming, VoiceIsFinishedOnceItsPositionReachesTheSumOfItsLengths)
{
    Voice voice = PlainVoice(1, 440.0f, 1.0f, 2, 3, 4, 5);
    Render(voice, 13);
    EXPECT_FALSE(VoiceFinished(voice));
    RenderVoice(voice);
    EXPECT_TRUE(VoiceFinished(voice));
}

TEST(Envelope, RisesThroughAttackHoldsThroughSustainAndFallsThroughRelease)
{
    Voice voice = PlainVoice(1, 440.0f, 1.0f, 2, 4, 2, 4);
    std::vector<float> levels;
    for (uint32_t p = 0; p < 13; ++p)
    {
        voice.position = p;
        levels.push_back(EnvelopeLevel(voice));
    }
    std::vector<float> expected = {0, 0, 0, 0.25f, 0.5f, 0.75f, 1, 1, 1, 0.75f, 0.5f, 0.25f, 0};
    EXPECT_EQ(levels, expected);
}

TEST(Envelope, AttackZeroStartsAtFullLevelAndReleaseZeroEndsAbruptly)
{
    Voice voice = PlainVoice(1, 440.0f, 1.0f, 3, 0, 2, 0);
    voice.position = 2;
    EXPECT_EQ(EnvelopeLevel(voice), 0.0f);
    voice.position = 3;
    EXPECT_EQ(EnvelopeLevel(voice), 1.0f);
    voice.position = 4;
    EXPECT_EQ(EnvelopeLevel(voice), 1.0f);
    voice.position = 5;
    EXPECT_EQ(EnvelopeLevel(voice), 0.0f);
}

TEST(InitVoice, DrawsPanJitterThenVolumeBoostAndNegatesThePan)
{
    std::srand(1234);
    int r1 = std::rand() % 16;
    int r2 = std::rand() % 1024;

    std::srand(1234);
    Voice voice{};
    InitVoice(voice, 9, 10, 20, 30, 40, 330.0f, 0.5f, 0.7f, 0.25f);
    EXPECT_EQ(voice.pan, static_cast<float>(r1 / 128.0 - 0.25f));
    EXPECT_EQ(voice.volume, static_cast<float>(0.5f * (r2 * 0.0001 + 1.5)));
    EXPECT_EQ(voice.attack, 10u);
    EXPECT_EQ(voice.sustain, 20u);
    EXPECT_EQ(voice.release, 30u);
    EXPECT_EQ(voice.delay, 40u);
    EXPECT_EQ(voice.position, 0u);
    EXPECT_EQ(voice.frequency, 330.0f);
    EXPECT_EQ(voice.echoSend, 0.7f);
    EXPECT_TRUE(voice.gridAlign);
}

TEST(InitVoice, SampleKindTakesItsLengthFromTheBankAndDropsAttackAndRelease)
{
    StereoSample frames[5] = {};
    SampleData saved = SampleBank[3];
    SampleBank[3] = {frames, 5};
    Voice voice{};
    InitVoice(voice, FirstSampleKind + 3, 500, 5000, 50000, 0, 0.0f, 1.0f, 0.6f, 0.0f);
    SampleBank[3] = saved;
    EXPECT_EQ(voice.attack, 0u);
    EXPECT_EQ(voice.sustain, 5u);
    EXPECT_EQ(voice.release, 0u);
}

TEST(InitVoice, KindPastTheLastSampleIsSilentAndFinishesAfterItsDelay)
{
    Voice voice{};
    InitVoice(voice, FirstSampleKind + SampleCount + 5, 500, 5000, 50000, 3, 0.0f, 1.0f, 0.6f, 0.0f);
    EXPECT_EQ(voice.sustain, 0u);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_TRUE(Silent(RenderVoice(voice)));
    }
    EXPECT_TRUE(VoiceFinished(voice));
}

TEST(GridAlign, MovesAStartOffTheGridToTheNextLineAndSoftensItOffTheBeat)
{
    SampleClock = 0;
    Voice voice = PlainVoice(9, 440.0f, 1.0f, 6300, 0, 100, 0);
    GridAlign(voice);
    EXPECT_EQ(voice.delay, 9450u);
    EXPECT_EQ(voice.volume, 0.75f);
}

TEST(GridAlign, LeavesAStartOnTheGridAloneEvenOffTheBeat)
{
    SampleClock = 0;
    Voice onGrid = PlainVoice(9, 440.0f, 1.0f, 9450, 0, 100, 0);
    GridAlign(onGrid);
    EXPECT_EQ(onGrid.delay, 9450u);
    EXPECT_EQ(onGrid.volume, 1.0f);

    Voice now = PlainVoice(9, 440.0f, 1.0f, 0, 0, 100, 0);
    GridAlign(now);
    EXPECT_EQ(now.delay, 0u);
    EXPECT_EQ(now.volume, 1.0f);
}

TEST(GridAlign, CountsFromTheSampleClockAndKeepsVolumeWhenLandingOnABeat)
{
    SampleClock = 18800;  // 100 frames before beat 1
    Voice toBeat = PlainVoice(9, 440.0f, 1.0f, 0, 0, 100, 0);
    GridAlign(toBeat);
    EXPECT_EQ(toBeat.delay, 100u);
    EXPECT_EQ(toBeat.volume, 1.0f);

    SampleClock = 100;
    Voice offBeat = PlainVoice(9, 440.0f, 1.0f, 0, 0, 100, 0);
    GridAlign(offBeat);
    EXPECT_EQ(offBeat.delay, 4625u);
    EXPECT_EQ(offBeat.volume, 0.75f);

    Voice unaligned = PlainVoice(9, 440.0f, 1.0f, 0, 0, 100, 0);
    unaligned.gridAlign = false;
    GridAlign(unaligned);
    EXPECT_EQ(unaligned.delay, 0u);
    SampleClock = 0;
}

TEST(FastSin, IsZeroAtZeroAndAboutOneAtAQuarterTurn)
{
    EXPECT_EQ(FastSin(0.0f), 0.0f);
    EXPECT_NEAR(FastSin(1.5707964f), 1.0f, 1e-6f);
    EXPECT_NEAR(FastSin(-1.5707964f), -1.0f, 1e-6f);
    EXPECT_NEAR(FastSin(3.1415927f / 6), 0.5f, 0.06f);  // a parabola, not a sine
}

TEST(FastSin, WrapsLargeAnglesIntoOneTurnFirst)
{
    const float quarter = 1.5707964f;
    const float turns[] = {1.0f, 10.0f, 1000.0f, -1000.0f};
    for (float n : turns)
    {
        float x = quarter + n * 6.2831855f;
        float y = FastSin(x);
        EXPECT_NEAR(y, 1.0f, 2e-3f) << "turns " << n;
    }
    // Far out the float angle itself is coarse, but the result stays a sine value.
    for (float x : {1.0e6f, -3.0e7f, 123456.78f})
    {
        float y = FastSin(x);
        EXPECT_GE(y, -1.0001f);
        EXPECT_LE(y, 1.0001f);
    }
}

TEST(ApplyPan, LeavesAFrameAloneInsideTheCentreBand)
{
    StereoSample frame = {10000, -10000};
    StereoSample out = ApplyPan(frame, 0.04f);
    EXPECT_EQ(out.left, 10000);
    EXPECT_EQ(out.right, -10000);
    out = ApplyPan(frame, -0.04f);
    EXPECT_EQ(out.left, 10000);
}

TEST(ApplyPan, PansAtTheEdgeOfTheCentreBand)
{
    // Gains 1.02 and 0.98, computed from a float pan, land just below the
    // round numbers and truncate.
    StereoSample out = ApplyPan({10000, 10000}, 0.05f);
    EXPECT_EQ(out.left, 10199);
    EXPECT_EQ(out.right, 9799);
    out = ApplyPan({10000, 10000}, -0.05f);
    EXPECT_EQ(out.left, 9799);
    EXPECT_EQ(out.right, 10199);
}

TEST(ApplyPan, ClampsBeyondFullPanAndLetsALoudFrameWrap)
{
    StereoSample three = ApplyPan({10000, 10000}, 3.0f);
    StereoSample one = ApplyPan({10000, 10000}, 1.0f);
    EXPECT_EQ(three.left, one.left);
    EXPECT_EQ(three.right, one.right);
    EXPECT_EQ(one.left, 14000);
    EXPECT_EQ(one.right, 6000);

    StereoSample loud = ApplyPan({30000, -30000}, 1.0f);
    EXPECT_EQ(loud.left, 42000 - 65536);
    EXPECT_EQ(loud.right, -18000);
    // Negative products truncate toward zero.
    StereoSample odd = ApplyPan({-3, 3}, 1.0f);
    EXPECT_EQ(odd.left, -4);  // -4.2
    EXPECT_EQ(odd.right, 1);  // 1.8
}

TEST(Waveforms, SquareIsLowForTheFirstHalfPeriodAndTruncatesTowardZero)
{
    Voice voice = PlainVoice(9, 441.0f, 0.5f, 0, 0, 1000, 0);  // 100-frame period
    std::vector<StereoSample> frames = Render(voice, 200);
    for (int i = 0; i < 200; ++i)
    {
        int expected = (i % 100) < 50 ? -8191 : 8191;  // 0.5 x 16383 = 8191.5
        ASSERT_EQ(frames[i].left, expected) << "frame " << i;
        ASSERT_EQ(frames[i].right, expected) << "frame " << i;
    }
}

TEST(Waveforms, TriangleRisesThenFallsOverOnePeriod)
{
    Voice voice = PlainVoice(12, 441.0f, 1.0f, 0, 0, 1000, 0);
    std::vector<StereoSample> frames = Render(voice, 100);
    EXPECT_EQ(frames[0].left, -16383);
    EXPECT_EQ(frames[25].left, 0);
    EXPECT_EQ(frames[50].left, 16383);
    EXPECT_EQ(frames[75].left, 0);
    for (int i = 1; i < 50; ++i)
    {
        EXPECT_GT(frames[i].left, frames[i - 1].left);
    }
    for (int i = 51; i < 100; ++i)
    {
        EXPECT_LT(frames[i].left, frames[i - 1].left);
    }
}

TEST(Waveforms, SinePeaksAtAQuarterPeriod)
{
    Voice voice = PlainVoice(1, 441.0f, 1.0f, 0, 0, 1000, 0);
    std::vector<StereoSample> frames = Render(voice, 100);
    EXPECT_EQ(frames[0].left, 0);
    EXPECT_NEAR(frames[25].left, 16383, 2);
    EXPECT_NEAR(frames[75].left, -16383, 2);
    EXPECT_LT(frames[75].left, 0);
}

TEST(Waveforms, EverySynthesisedKindSoundsAndTheUnusedKindsAreSilent)
{
    for (int32_t kind = -2; kind <= 16; ++kind)
    {
        std::srand(7);
        Voice voice = PlainVoice(kind, 523.0f, 0.8f, 0, 300, 600, 900);
        int loud = 0;
        for (StereoSample frame : Render(voice, 1800))
        {
            loud += frame.left != 0 ? 1 : 0;
        }
        bool sounds = kind == 1 || (kind >= 4 && kind <= 12);
        if (sounds)
        {
            EXPECT_GT(loud, 1000) << "kind " << kind;
        }
        else
        {
            EXPECT_EQ(loud, 0) << "kind " << kind;
        }
    }
}

TEST(Waveforms, SampleVoicePlaysItsFramesScaledAndFallsSilentPastTheEnd)
{
    StereoSample frames[3] = {{1000, -1000}, {-3, 3}, {32767, -32768}};
    SampleData saved = SampleBank[5];
    SampleBank[5] = {frames, 3};
    Voice voice = PlainVoice(FirstSampleKind + 5, 0.0f, 0.5f, 1, 0, 3, 0);
    std::vector<StereoSample> out = Render(voice, 5);
    SampleBank[5] = saved;
    EXPECT_TRUE(Silent(out[0]));
    EXPECT_EQ(out[1].left, 500);
    EXPECT_EQ(out[1].right, -500);
    EXPECT_EQ(out[2].left, -1);  // -1.5 truncates toward zero
    EXPECT_EQ(out[2].right, 1);
    EXPECT_EQ(out[3].left, 16383);
    EXPECT_EQ(out[3].right, -16384);
    EXPECT_TRUE(Silent(out[4]));
}

TEST(Waveforms, SampleThatFailedToLoadIsSilentAndFinishedRightAfterItsDelay)
{
    SampleData saved = SampleBank[7];
    SampleBank[7] = {nullptr, 0};
    Voice voice{};
    InitVoice(voice, FirstSampleKind + 7, 500, 5000, 50000, 4, 0.0f, 1.0f, 0.6f, 0.0f);
    std::vector<StereoSample> out = Render(voice, 4);
    SampleBank[7] = saved;
    for (StereoSample frame : out)
    {
        EXPECT_TRUE(Silent(frame));
    }
    EXPECT_TRUE(VoiceFinished(voice));
}

TEST(Waveforms, AbsurdVolumeMakesNoiseRatherThanUndefinedBehaviour)
{
    Voice voice = PlainVoice(9, 441.0f, 1.0e30f, 0, 0, 10, 0);
    StereoSample frame = RenderVoice(voice);
    EXPECT_EQ(frame.left, 0);  // INT32_MIN keeps no low bits
    Voice nan = PlainVoice(1, 441.0f, NAN, 0, 0, 10, 0);
    nan.position = 25;
    frame = RenderVoice(nan);
    EXPECT_EQ(frame.left, 0);
}
