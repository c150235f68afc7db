// A fixed mix of six voices, 400 frames through the callback, against a
// stored checksum and a few stored frames. Any change to the arithmetic of a
// waveform, the envelope, the pan, the send or the echo shows up here.

#include "tests/audio/audio_harness.h"
#include "tests/digest.h"

TEST(GoldenMix, SixVoicesGiveTheStoredFrames)
{
    StereoSample recording[300];
    for (int i = 0; i < 300; ++i)
    {
        recording[i] = {static_cast<int16_t>((i * 211) % 20000 - 10000), static_cast<int16_t>(9000 - i * 60)};
    }
    SampleData saved = SampleBank[12];
    SampleBank[12] = {recording, 300};

    AudioStartupState();
    SampleClock = 1;  // clear of the beat: no music in these frames
    const Voice mix[] = {
        PlainVoice(KindSine, 441.0f, 0.3f, 0, 0, 1000, 0, 0.5f, 0.0f),
        PlainVoice(KindSquare, 220.5f, 0.2f, 10, 0, 300, 100, 1.0f, 0.5f),
        PlainVoice(KindTriangle, 882.0f, 0.25f, 0, 50, 200, 100, 0.3f, -0.7f),
        PlainVoice(KindSineSweepUp, 300.0f, 0.4f, 5, 200, 100, 50, 0.8f, 0.2f),
        PlainVoice(KindFmSine, 523.25f, 0.35f, 20, 10, 250, 80, 0.6f, -0.2f),
        PlainVoice(SampleKind(SoundDrum0 + 12), 0.0f, 0.9f, 30, 0, 300, 0, 0.45f, 0.1f),
    };
    for (int i = 0; i < 6; ++i)
    {
        Voices[MusicVoiceBase + i] = mix[i];
        VoiceActive[MusicVoiceBase + i] = true;
    }
    std::vector<uint8_t> bytes(4 * 400);
    AudioCallback(nullptr, bytes.data(), static_cast<int>(bytes.size()));
    SampleBank[12] = saved;
    std::vector<StereoSample> frames = DecodeFrames(bytes);

    // Frame 0: only the sine (0) and the triangle at level 0 sound; the echo
    // ring is still empty apart from this frame's own send.
    EXPECT_EQ(frames[0].left, 0);
    EXPECT_EQ(frames[0].right, 0);
    // Frame 25, left, worked by hand: sine 441 Hz at a quarter turn 4914;
    // square low -3276 panned x1.2 to -3931; triangle in its attack at 2047
    // panned x0.72 to 1474; the swept sine 92; the FM sine 2537; no echo yet.
    EXPECT_EQ(frames[25].left, 5086);
    EXPECT_EQ(frames[25].right, 7972);
    EXPECT_EQ(frames[137].left, -6594);
    EXPECT_EQ(frames[137].right, 1128);
    EXPECT_EQ(frames[399].left, 47);
    EXPECT_EQ(frames[399].right, -97);
    EXPECT_EQ(Digest(bytes.data(), bytes.size()), 664400118u);
}
