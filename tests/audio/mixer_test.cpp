// The mixer seen from outside: sound effects travelling through the exchange,
// the device buffer the callback fills, the wrap of loud sums and the echo
// damping a new game asks for.

#include "tests/audio/audio_harness.h"

namespace
{
// What PlaySoundEx does once it has found a free voice.
void StartSfx(int index, uint32_t sustain)
{
    InitVoice(Voices[index], KindSquare, 0, sustain, 0, 0, 441.0f, 0.5f, 0.0f, 0.0f);
    SfxVoiceInUse[index] = true;
    QueueSfxVoice(index);
}

// A fresh mixer a little after the first beat, so no music starts unless a
// test walks up to the next beat.
void FreshMixer()
{
    AudioStartupState();
    SampleClock = 1;
}
}  // namespace

TEST(Exchange, SoundEffectStartsInTheCallbackAfterTheGamesSwapOnceTheMixerTookTheLastBlock)
{
    FreshMixer();
    std::srand(3);
    StartSfx(0, 1000);
    Callback(16);
    EXPECT_FALSE(VoiceActive[0]) << "not published yet";

    AudioUpdate(false, false);                  // published
    StartSfx(1, 1000);
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
}

TEST(Exchange, NewGameHalvesTheEchoTailOnceAtTheNextSwap)
{
    FreshMixer();
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
    for (int v = 64; v < 67; ++v)  // three full-scale squares
    {
        Voices[v] = PlainVoice(KindSquare, 441.0f, 1.0f, 0, 0, 10000, 0);
        VoiceActive[v] = true;
    }
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
