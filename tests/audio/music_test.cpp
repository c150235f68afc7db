// The music generator: when chords change, which rand() draw decides what in
// a title and a game step, note pitches, and what happens when the music
// voices run out.

#include "tests/audio/audio_harness.h"

namespace
{
// A fresh audio state at a beat (SampleClock 0), section 0 while planting,
// drums allowed (the bank's contents do not matter to the generator), and no
// voice playing.
class MusicTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::srand(1);
        AudioStartupState();
        SamplesLoaded = true;
        MusicSection = 0;
        AudioSlots[mixerSlot].gardenRunning = 0;
    }
    void TearDown() override
    {
        MusicSection = 0;
        SamplesLoaded = false;
    }
};

using ChordChanges = MusicTest;
using TitleMusic = MusicTest;
using GameMusic = MusicTest;
using MusicNotes = MusicTest;
}  // namespace

TEST_F(ChordChanges, ChordIsTheFirstDrawOfEverySixteenthBeatAndHoldsInBetween)
{
    for (uint32_t beat = 0; beat <= 32; ++beat)
    {
        int32_t before = ChordRow;
        while (SampleClock < beat * BeatFrames)
        {
            Callback(static_cast<int>(std::min<uint32_t>(beat * BeatFrames - SampleClock, 2048)));
            ASSERT_EQ(ChordRow, before) << "inside beat " << beat - 1;
        }
        int32_t expected = beat % 16 == 0 ? ChordRowOrder[Draws(100 + beat, 1)[0] % 21] : before;
        Callback(1);
        ASSERT_EQ(ChordRow, expected) << "at beat " << beat;
    }
}

TEST_F(TitleMusic, SectionOneStepDrawsNoteChordOctavesThenDrumInThatOrder)
{
    // Find a seed whose draws play a note on degree 7 (the octave of row 7)
    // and a drum, then check both against the draws by hand:
    //   d0 % 2 == 0 note plays   d1 % 4 chord index   d2, d3 octave drops
    //   d4, d5 the note voice's pan and boost
    //   d6 % 4 == 0 drum plays   d7 % 16 which drum   d8, d9 its pan and boost
    unsigned seed = 0;
    std::vector<int> d;
    do
    {
        d = Draws(++seed, 11);
    } while (!(d[0] % 2 == 0 && d[1] % 4 == 3 && d[6] % 4 == 0));

    MusicSection = 1;
    ChordRow = 7;  // degrees 0, 2, 4, 7
    std::srand(seed);
    TitleMusicStep(1);

    const Voice& note = Voices[MusicVoiceBase + 0];
    ASSERT_TRUE(VoiceActive[MusicVoiceBase + 0]);
    EXPECT_EQ(note.frequency, DegreeFrequency(7, 1 - d[2] % 2 - d[3] % 2));
    EXPECT_FLOAT_EQ(note.pan, Jitter(d[4]));
    EXPECT_NEAR(note.volume, 0.036f * Boost(d[5]), 1e-6);

    const Voice& drum = Voices[MusicVoiceBase + 1];
    ASSERT_TRUE(VoiceActive[MusicVoiceBase + 1]);
    EXPECT_EQ(drum.kind, 17 + d[7] % 16);
    EXPECT_FLOAT_EQ(drum.pan, Jitter(d[8]));
    EXPECT_NEAR(drum.volume, 0.06f * Boost(d[9]), 1e-6);

    EXPECT_EQ(MusicSection, 1);        // only step 0 moves the section
    EXPECT_EQ(std::rand(), d[10]);     // and nothing else was drawn
}

TEST_F(GameMusic, PlantingNoteDrawsChanceChordSpreadLiftThenTheVoiceInThatOrder)
{
    // Section 0 while planting, step 1 (no drum on this step):
    //   d0 % 4 == 0 note plays   d1 % 4 chord index   d2 % 2 octave spread
    //   d3 % 16 == 0 one octave up   d4, d5 the note voice's pan and boost
    unsigned seed = 0;
    std::vector<int> d;
    do
    {
        d = Draws(++seed, 7);
    } while (!(d[0] % 4 == 0 && d[3] % 16 == 0));

    ChordRow = 7;  // degrees 0, 2, 4, 7
    std::srand(seed);
    GameMusicStep(1);

    constexpr int32_t row7[4] = {0, 2, 4, 7};
    int32_t degree = row7[d[1] % 4];
    const Voice& note = Voices[MusicVoiceBase];
    ASSERT_TRUE(VoiceActive[MusicVoiceBase]);
    // Lifted an octave by d3, then set one below the chord.
    EXPECT_EQ(note.frequency, DegreeFrequency(degree, degree / 7 + d[2] % 2 + 1 - 1));
    EXPECT_FLOAT_EQ(note.pan, Jitter(d[4]));
    EXPECT_NEAR(note.volume, 0.035f * Boost(d[5]), 1e-6);
    EXPECT_FALSE(VoiceActive[MusicVoiceBase + 1]);
    EXPECT_EQ(std::rand(), d[6]);
}

TEST_F(MusicNotes, DegreesFollowTheScaleInWholeOctavesFromTwoHundredTwentyHertz)
{
    EXPECT_EQ(NoteFrequencies[12], 440.0f);
    EXPECT_NEAR(NoteFrequencies[0], 220.0f, 1e-3f);
    EXPECT_NEAR(NoteFrequencies[23], 830.61f, 1e-2f);
    // Degree 0 an octave down is A3 + 1 semitone halved: about 116.5 Hz.
    EXPECT_NEAR(DegreeFrequency(0, -1), 116.54f, 0.01f);
}

TEST_F(MusicNotes, FullPoolDropsTheNoteAndTheSearchWrapsToTheFreeVoice)
{
    std::fill(VoiceActive + MusicVoiceBase, VoiceActive + VoiceCount, true);
    nextMusicVoice = 20;
    std::vector<int> d = Draws(6, 1);
    PlayMusicNote(9, 440.0f, 0.04f, 1.0f, 0.0f, 18900, 0);
    EXPECT_EQ(nextMusicVoice, 20);
    EXPECT_EQ(std::rand(), d[0]);  // a dropped note draws nothing

    VoiceActive[MusicVoiceBase + 10] = false;
    PlayMusicNote(9, 440.0f, 0.04f, 1.0f, 0.0f, 18900, 0);
    EXPECT_EQ(nextMusicVoice, 10);
    EXPECT_TRUE(VoiceActive[MusicVoiceBase + 10]);
}
