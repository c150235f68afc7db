// The mixer seen from outside: sound effects travelling through the exchange,
// the device buffer the callback fills, the wrap of loud sums, the chord
// changes of the beat hook, and the block renderer matching the plain loop.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/echo.h"
#include "audio/mixer.h"
#include "audio/music.h"
#include "audio/samples.h"
#include "audio/voices.h"

namespace
{
std::vector<StereoSample> Decode(const std::vector<uint8_t>& bytes)
{
    std::vector<StereoSample> frames(bytes.size() / 4);
    for (size_t i = 0; i < frames.size(); ++i)
    {
        const uint8_t* b = &bytes[4 * i];
        frames[i].left = static_cast<int16_t>(static_cast<uint16_t>(b[0] | (b[1] << 8)));
        frames[i].right = static_cast<int16_t>(static_cast<uint16_t>(b[2] | (b[3] << 8)));
    }
    return frames;
}

std::vector<StereoSample> Callback(int frames)
{
    std::vector<uint8_t> bytes(4 * frames);
    AudioCallback(nullptr, bytes.data(), static_cast<int>(bytes.size()));
    return Decode(bytes);
}

// What PlaySoundEx does once it has found a free voice.
void StartSfx(int index, int32_t kind, uint32_t attack, uint32_t sustain, uint32_t release,
              float frequency, float volume)
{
    InitVoice(Voices[index], kind, attack, sustain, release, 0, frequency, volume, 0.0f, 0.0f);
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

Voice SteadySquare(float volume)
{
    Voice voice{};
    voice.kind = 9;
    voice.frequency = 441.0f;
    voice.volume = volume;
    voice.sustain = 10000;
    voice.pan = 0.0f;
    voice.echoSend = 0.0f;
    return voice;
}
}  // namespace

TEST(Exchange, SoundEffectStartsOnlyInTheCallbackAfterTheGamesNextSwap)
{
    FreshMixer();
    std::srand(3);
    StartSfx(0, 9, 0, 1000, 0, 441.0f, 0.5f);

    Callback(16);
    EXPECT_FALSE(VoiceActive[0]) << "not published yet";

    AudioUpdate();
    Callback(16);
    ASSERT_TRUE(VoiceActive[0]);
    // Activated with the clock at 17: moved to the grid line at 4725, which
    // is not a beat, so it plays at three quarters of its volume.
    EXPECT_EQ(Voices[0].delay, 4725u - 17u);
    EXPECT_EQ(Voices[0].position, 16u);
}

TEST(Exchange, TwoEffectsStartedInOneFrameStartTogetherOnTheSameGridLine)
{
    FreshMixer();
    StartSfx(3, 1, 0, 1000, 0, 300.0f, 0.2f);
    StartSfx(4, 9, 0, 1000, 0, 500.0f, 0.2f);
    AudioUpdate();
    Callback(8);
    EXPECT_TRUE(VoiceActive[3]);
    EXPECT_TRUE(VoiceActive[4]);
    EXPECT_EQ(Voices[3].delay + 1, 4725u);  // clock 1 at the exchange
    EXPECT_EQ(Voices[4].delay, Voices[3].delay);
}

TEST(Exchange, GamePublishesOnlyAfterTheMixerTookItsPreviousBlock)
{
    FreshMixer();
    StartSfx(0, 1, 0, 1000, 0, 300.0f, 0.2f);
    AudioUpdate();                  // published
    StartSfx(1, 1, 0, 1000, 0, 300.0f, 0.2f);
    AudioUpdate();                  // the mixer has not taken the first block yet
    Callback(4);
    EXPECT_TRUE(VoiceActive[0]);
    EXPECT_FALSE(VoiceActive[1]);
    AudioUpdate();
    Callback(4);
    EXPECT_TRUE(VoiceActive[1]);
}

TEST(Exchange, FinishedVoiceIsReportedBackAndBecomesFreeAfterTheNextRoundTrip)
{
    FreshMixer();
    StartSfx(5, 1, 0, 10, 0, 300.0f, 0.2f);
    Voices[5].gridAlign = false;
    AudioUpdate();
    Callback(64);
    EXPECT_FALSE(VoiceActive[5]) << "ten frames long";
    EXPECT_TRUE(SfxVoiceInUse[5]);

    AudioUpdate();  // takes the mixer's previous block, which holds no report
    EXPECT_TRUE(SfxVoiceInUse[5]);
    Callback(4);    // the mixer hands over the block with the report
    AudioUpdate();
    EXPECT_FALSE(SfxVoiceInUse[5]);
}

TEST(Exchange, NewGameHalvesTheEchoTailOnceAtTheNextSwap)
{
    FreshMixer();
    EchoBuffer[1000] = {1001, -1001};
    MarkNewGame();
    Callback(1);
    EXPECT_EQ(EchoBuffer[1000].left, 1001) << "not handed over yet";
    AudioUpdate();
    Callback(1);
    EXPECT_EQ(EchoBuffer[1000].left, 500);
    EXPECT_EQ(EchoBuffer[1000].right, -500);
    AudioUpdate();
    Callback(1);
    AudioUpdate();
    Callback(1);
    EXPECT_EQ(EchoBuffer[1000].left, 500) << "halved only once";
}

TEST(Callback, WritesWholeFramesAndLeavesTheRemainderBytesUntouched)
{
    FreshMixer();
    Voices[70] = SteadySquare(1.0f);
    VoiceActive[70] = true;
    std::vector<uint8_t> bytes(4 * 5 + 3, 0xab);
    AudioCallback(nullptr, bytes.data(), 4 * 5 + 3);
    EXPECT_EQ(SampleClock, 6u);
    // -16383 little-endian: 0x01 0xc0.
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[1], 0xc0);
    EXPECT_EQ(bytes[19], 0xc0);
    EXPECT_EQ(bytes[20], 0xab);
    EXPECT_EQ(bytes[21], 0xab);
    EXPECT_EQ(bytes[22], 0xab);

    std::vector<uint8_t> tiny(3, 0xab);
    AudioCallback(nullptr, tiny.data(), 3);
    AudioCallback(nullptr, tiny.data(), -8);
    EXPECT_EQ(tiny, std::vector<uint8_t>(3, 0xab));
    EXPECT_EQ(SampleClock, 6u);
}

TEST(Callback, LoudVoicesWrapAroundInsteadOfClipping)
{
    FreshMixer();
    for (int v = 64; v < 67; ++v)
    {
        Voices[v] = SteadySquare(1.0f);
        VoiceActive[v] = true;
    }
    std::vector<StereoSample> out = Callback(60);
    EXPECT_EQ(out[0].left, -3 * 16383 + 65536);   // low half period
    EXPECT_EQ(out[0].right, -3 * 16383 + 65536);
    EXPECT_EQ(out[55].left, 3 * 16383 - 65536);   // high half period (position 56)
}

TEST(Callback, SendIsTruncatedPerVoiceBeforeItIsSummed)
{
    FreshMixer();
    // Two voices whose sends are 0.5 x 1 each: truncated to 0 one by one,
    // so nothing reaches the echo ring.
    StereoSample one[4] = {{1, 1}, {1, 1}, {1, 1}, {1, 1}};
    SampleData saved = SampleBank[20];
    SampleBank[20] = {one, 4};
    for (int v = 64; v < 66; ++v)
    {
        Voice voice{};
        voice.kind = FirstSampleKind + 20;
        voice.sustain = 4;
        voice.volume = 1.0f;
        voice.echoSend = 0.5f;
        Voices[v] = voice;
        VoiceActive[v] = true;
    }
    std::vector<StereoSample> out = Callback(4);
    SampleBank[20] = saved;
    EXPECT_EQ(out[0].left, 2);
    EXPECT_EQ(EchoBuffer[0].left, 0);
    EXPECT_FALSE(VoiceActive[64]);
}

TEST(BeatHook, ChordChangesOnlyAtBeatsThatAreMultiplesOfSixteen)
{
    AudioStartupState();
    std::srand(11);
    int changes = 0;
    for (uint32_t beat = 0; beat <= 32; ++beat)
    {
        // Up to the frame before this beat, then the beat's first frame.
        uint32_t start = beat * BeatFrames;
        int32_t before = ChordRow;
        while (SampleClock < start)
        {
            Callback(static_cast<int>(std::min<uint32_t>(start - SampleClock, 2048)));
            ASSERT_EQ(ChordRow, before) << "inside beat " << beat - 1;
        }
        Callback(1);
        if (beat % 16 != 0)
        {
            ASSERT_EQ(ChordRow, before) << "at beat " << beat;
        }
        else
        {
            changes += ChordRow != before ? 1 : 0;
        }
    }
    EXPECT_GE(changes, 1);
}

TEST(Shutdown, WithoutALoaderThreadReturnsAtOnceAndLeavesTheBankEmpty)
{
    // Tools and tests run the audio state with no loader: shutdown must not
    // wait for a SamplesLoaded that nobody will set.
    AudioStartupState();
    AudioShutdown();
    for (const SampleData& sample : SampleBank)
    {
        EXPECT_EQ(sample.frames, nullptr);
        EXPECT_EQ(sample.length, 0u);
    }
}

TEST(NoteTable, RunsInSemitonesFromTwoHundredTwentyHertzWithConcertAAtTwelve)
{
    BuildNoteTable();
    EXPECT_EQ(NoteFrequencies[12], 440.0f);
    EXPECT_NEAR(NoteFrequencies[0], 220.0f, 1e-3f);
    EXPECT_NEAR(NoteFrequencies[23], 830.61f, 1e-2f);
    for (int k = 1; k < 24; ++k)
    {
        EXPECT_NEAR(NoteFrequencies[k] / NoteFrequencies[k - 1], 1.0594631f, 1e-5f) << k;
    }
}
