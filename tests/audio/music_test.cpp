// What happens when the music voices run out. Each generator's whole course
// from a seed, its pitches included, is checked by the stored renders of the
// audio export tool (audio_render_test.cpp).

#include "tests/audio/audio_harness.h"

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
