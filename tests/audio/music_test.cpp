// The music's pitches, and what happens when the music voices run out. Each
// generator's whole course from a seed is checked by the golden renders of
// the audio export tool (audio_render_test.cpp).

#include "tests/audio/audio_harness.h"

TEST(MusicNotes, DegreesFollowTheScaleInWholeOctavesFromTwoHundredTwentyHertz)
{
    AudioStartupState();
    EXPECT_EQ(NoteFrequencies[12], 440.0f);
    EXPECT_NEAR(NoteFrequencies[0], 220.0f, 1e-3f);
    EXPECT_NEAR(NoteFrequencies[23], 830.61f, 1e-2f);
    // Degree 0 an octave down is A3 + 1 semitone halved: about 116.5 Hz.
    EXPECT_NEAR(DegreeFrequency(0, -1), 116.54f, 0.01f);
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
