// The mixer seen from outside, through the exchange and the device callback.
// (Each generator's whole course from a seed is checked by the stored renders
// of the audio export tool.)

#include "tests/audio/audio_harness.h"
#include "tests/digest.h"

namespace
{
// A fresh mixer a little after the first beat, so no music starts unless a
// test walks up to the next beat.
void FreshMixer()
{
    AudioStartupState();
    SampleClock = 1;
}
}  // namespace

TEST(Exchange, SoundEffectsAndEchoDampingReachTheMixerAtTheSwapAfterItTookTheGamesLastBlock)
{
    FreshMixer();
    std::srand(3);
    StartSfxVoice(0, KindSquare, 0, 1000, 0, 441.0f, 0.5f, 0.0f, 0.0f);
    Callback(16);
    EXPECT_FALSE(VoiceActive[0]) << "not published yet";

    AudioUpdate(false, false);                  // published
    StartSfxVoice(1, KindSquare, 0, 1000, 0, 441.0f, 0.5f, 0.0f, 0.0f);
    AudioUpdate(false, false);                  // the mixer has not taken the first block yet
    Callback(16);
    ASSERT_TRUE(VoiceActive[0]);
    EXPECT_FALSE(VoiceActive[1]);
    // Activated with the clock at 17: moved to the grid line at 4725.
    EXPECT_EQ(Voices[0].delay, 4725u - 17u);
    EXPECT_EQ(Voices[0].position, 16u);
    AudioUpdate(false, false);
    Callback(4);
    EXPECT_TRUE(VoiceActive[1]);

    // So does a new game's damping: it halves the echo tail once.
    EchoBuffer[1000] = {1001, -1001};
    MarkNewGame();
    Callback(1);
    EXPECT_EQ(EchoBuffer[1000].left, 1001) << "not handed over yet";
    for (int round = 0; round < 3; ++round)
    {
        AudioUpdate(false, false);
        Callback(1);
        EXPECT_EQ(EchoBuffer[1000].left, 500) << "halved once, round " << round;
        EXPECT_EQ(EchoBuffer[1000].right, -500);
    }
}

TEST(Callback, WritesWholeFramesWrappingLoudSumsAndLeavesTheRemainderBytesUntouched)
{
    FreshMixer();
    // Three full-scale squares.
    std::fill_n(Voices + 64, 3, PlainVoice(KindSquare, 441.0f, 1.0f, 0, 0, 10000, 0));
    std::fill_n(VoiceActive + 64, 3, true);
    std::vector<uint8_t> bytes(4 * 60 + 3, 0xab);
    AudioCallback(nullptr, bytes.data(), 4 * 60 + 3);
    EXPECT_EQ(SampleClock, 61u);
    std::vector<StereoSample> out = DecodeFrames(bytes);
    EXPECT_EQ(out[0].left, -3 * 16383 + 65536);   // low half period
    EXPECT_EQ(out[0].right, -3 * 16383 + 65536);
    EXPECT_EQ(out[55].left, 3 * 16383 - 65536);   // high half period (position 56)
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 240, bytes.end()), std::vector<uint8_t>(3, 0xab));

    // Less than a frame, or a negative length, writes and advances nothing.
    std::vector<uint8_t> tiny(3, 0xab);
    AudioCallback(nullptr, tiny.data(), 3);
    AudioCallback(nullptr, tiny.data(), -8);
    EXPECT_EQ(tiny, std::vector<uint8_t>(3, 0xab));
    EXPECT_EQ(SampleClock, 61u);
}

// Any change to the arithmetic of a waveform, the envelope, the pan, the send
// or the echo shows in the stored frames of six voices.
TEST(GoldenMix, SixVoicesGiveTheStoredFrames)
{
    StereoSample recording[300];
    for (int i = 0; i < 300; ++i)
    {
        recording[i] = {static_cast<int16_t>((i * 211) % 20000 - 10000), static_cast<int16_t>(9000 - i * 60)};
    }
    SampleData saved = SampleBank[12];
    SampleBank[12] = {recording, 300};

    FreshMixer();
    const Voice mix[] = {
        PlainVoice(KindSine, 441.0f, 0.3f, 0, 0, 1000, 0, 0.5f, 0.0f),
        PlainVoice(KindSquare, 220.5f, 0.2f, 10, 0, 300, 100, 1.0f, 0.5f),
        PlainVoice(KindTriangle, 882.0f, 0.25f, 0, 50, 200, 100, 0.3f, -0.7f),
        PlainVoice(KindSineSweepUp, 300.0f, 0.4f, 5, 200, 100, 50, 0.8f, 0.2f),
        PlainVoice(KindFmSine, 523.25f, 0.35f, 20, 10, 250, 80, 0.6f, -0.2f),
        PlainVoice(SampleKind(SoundDrum0 + 12), 0.0f, 0.9f, 30, 0, 300, 0, 0.45f, 0.1f),
    };
    std::copy(std::begin(mix), std::end(mix), Voices + MusicVoiceBase);
    std::fill_n(VoiceActive + MusicVoiceBase, std::size(mix), true);
    std::vector<uint8_t> bytes(4 * 400);
    AudioCallback(nullptr, bytes.data(), static_cast<int>(bytes.size()));
    SampleBank[12] = saved;
    std::vector<StereoSample> frames = DecodeFrames(bytes);

    // Frame 25, left, worked by hand: sine 441 Hz at a quarter turn 4914;
    // square low -3276 panned x1.2 to -3931; triangle in its attack at 2047
    // panned x0.72 to 1474; the swept sine 92; the FM sine 2537; no echo yet.
    // The digest holds all the others.
    EXPECT_EQ(frames[25].left, 5086);
    EXPECT_EQ(frames[25].right, 7972);
    EXPECT_EQ(Digest(bytes.data(), bytes.size()), 664400118u);
}

// The echo network on its own: two trips round the ring after a burst of loud
// send and dry sound cover all three taps, the reverse tap's wrap, the
// feedback, the truncation toward zero and the wrap of loud sums.
TEST(Echo, ABurstGivesTheStoredEchoesForTwoTripsRoundTheRing)
{
    ResetEcho();
    uint32_t digest = DigestStart;
    for (int frame = 0; frame < 2 * EchoRingFrames; ++frame)
    {
        // 3000 frames of loud sound and send, then a quiet tone, then silence.
        const int16_t loud = static_cast<int16_t>(frame < 3000 ? frame * 7919 % 60001 - 30000 : 0);
        const StereoSample send = {loud, static_cast<int16_t>(-loud / 3)};
        // Near full scale where the half-ring tap plays the burst back, so
        // the output sums wrap.
        const bool full = frame >= 37000 && frame < 41000;
        const StereoSample dry = frame < 3000    ? StereoSample{loud, static_cast<int16_t>(loud / 2)}
                                 : full          ? StereoSample{32000, -32000}
                                 : frame < 20000 ? StereoSample{static_cast<int16_t>(frame % 200 - 100), 0}
                                                 : StereoSample{0, 0};
        const StereoSample out = EchoFrame(dry, send);
        digest = Digest(&out, sizeof out, digest);
    }
    digest = Digest(EchoBuffer, sizeof EchoBuffer, digest);
    EXPECT_EQ(digest, 3085937186u) << digest;
}

TEST(MusicNotes, FullPoolDropsTheNoteWithoutADrawAndTheSearchWrapsToTheFreeVoice)
{
    AudioStartupState();
    std::fill(VoiceActive + MusicVoiceBase, VoiceActive + VoiceCount, true);
    nextMusicVoice = 20;
    std::srand(6);
    const int next = std::rand();
    std::srand(6);
    PlayMusicNote(KindSquare, 440.0f, 0.04f, 1.0f, 0.0f, 18900, 0);
    EXPECT_EQ(nextMusicVoice, 20);
    EXPECT_EQ(std::rand(), next);  // a dropped note draws nothing

    VoiceActive[MusicVoiceBase + 10] = false;
    PlayMusicNote(KindSquare, 440.0f, 0.04f, 1.0f, 0.0f, 18900, 0);
    EXPECT_EQ(nextMusicVoice, 10);
    EXPECT_TRUE(VoiceActive[MusicVoiceBase + 10]);
}
