// The music generator: when chords change, which rand() draw decides what,
// how the game generator treats the title's sections, note pitches, the grid
// and what happens when the music voices run out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "audio/mixer.h"
#include "audio/music.h"
#include "audio/samples.h"
#include "audio/voices.h"
#include "tests/audio/audio_harness.h"

using namespace audio_harness;

namespace
{
float Boost(int draw)
{
    return static_cast<float>((draw % 1024) * 0.0001 + 1.5);
}

float Jitter(int draw)
{
    return static_cast<float>((draw % 16) * 0.0078125);
}

// What the music voices were started with, for comparing two runs.
using NoteRecord = std::tuple<int, int32_t, float, float, uint32_t, uint32_t, float>;

std::vector<NoteRecord> StartedMusic()
{
    std::vector<NoteRecord> notes;
    for (int m = 0; m < 64; ++m)
    {
        if (VoiceActive[MusicVoiceBase + m])
        {
            const Voice& v = Voices[MusicVoiceBase + m];
            notes.emplace_back(m, v.kind, v.frequency, v.volume, v.delay, v.sustain, v.echoSend);
        }
    }
    return notes;
}

// A fresh audio state at a beat (SampleClock 0), drums allowed (the bank's
// contents do not matter to the generator), and no voice playing.
class MusicTest : public ::testing::Test
{
protected:
    void SetUp() override { fresh(); }
    void TearDown() override
    {
        MusicSection = 0;
        SamplesLoaded = false;
    }

    // running: the garden is open rather than being planted.
    void fresh(int32_t section = 0, int running = 0)
    {
        std::srand(1);
        AudioStartupState();
        SamplesLoaded = true;
        MusicSection = section;
        AudioSlots[mixerSlot].gardenRunning = running;
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
    EXPECT_EQ(note.kind, 9);
    EXPECT_EQ(note.frequency, DegreeFrequency(7, 1 - d[2] % 2 - d[3] % 2));
    EXPECT_EQ(note.sustain, 18900u);
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

TEST_F(TitleMusic, SectionTwoSkipsTheExtraDrumDrawWhenItsDrumIsSilent)
{
    // Step 1 of section 2: "1 in 1" still draws (d0), chord index d1, octave
    // drops d2 d3, voice draws d4 d5, then d6 % 2 != 0: no drum, no extra draw.
    unsigned seed = 0;
    std::vector<int> d;
    do
    {
        d = Draws(++seed, 8);
    } while (d[6] % 2 == 0);

    fresh(2);
    ChordRow = 0;  // degrees 0, 1, 4, 7
    std::srand(seed);
    TitleMusicStep(1);

    constexpr int32_t row0[4] = {0, 1, 4, 7};
    int32_t degree = row0[d[1] % 4];
    EXPECT_EQ(Voices[MusicVoiceBase].frequency, DegreeFrequency(degree, degree / 7 - d[2] % 2 - d[3] % 2));
    EXPECT_FALSE(VoiceActive[MusicVoiceBase + 1]);
    EXPECT_EQ(std::rand(), d[7]);
}

TEST_F(GameMusic, TitleSectionsTwoAndThreePlayAsZeroAndOneAndStayUntilTheToggle)
{
    auto play = [&](int32_t section, int running, int32_t step) {
        fresh(section, running);
        std::srand(50 + static_cast<unsigned>(step));
        GameMusicStep(step);
        return std::make_pair(StartedMusic(), std::rand());
    };
    for (int running = 0; running <= 1; ++running)
    {
        for (int32_t section : {2, 3})
        {
            for (int32_t step = 1; step < 16; ++step)
            {
                SCOPED_TRACE(testing::Message() << running << " section " << section << " step " << step);
                auto asTitle = play(section, running, step);
                ASSERT_EQ(MusicSection, section);
                auto asGame = play(section % 2, running, step);
                ASSERT_FALSE(asGame.first.empty() && step % 3 == 0);
                ASSERT_EQ(asTitle, asGame);
            }
        }
    }

    // At step 0 the toggle, when it comes, lands in 0..1.
    int toggled = 0;
    for (unsigned seed = 1; seed <= 100; ++seed)
    {
        fresh(2);
        std::srand(seed);
        GameMusicStep(0);
        ASSERT_TRUE(MusicSection == 2 || MusicSection == 1);
        toggled += MusicSection == 1 ? 1 : 0;
    }
    EXPECT_GT(toggled, 0);
    EXPECT_LT(toggled, 100);
}

TEST_F(GameMusic, PlantingIsSparserThanTheRunningGarden)
{
    auto notesOver = [&](int running) {
        int started = 0;
        for (unsigned seed = 1; seed <= 20; ++seed)
        {
            for (int32_t step = 0; step < 16; ++step)
            {
                fresh(seed % 2, running);
                std::srand(seed * 16 + step);
                GameMusicStep(step);
                started += static_cast<int>(StartedMusic().size());
            }
        }
        return started;
    };
    EXPECT_LT(notesOver(0) * 3 / 2, notesOver(1));
}

TEST_F(MusicNotes, DegreesFollowTheScaleInWholeOctavesFromTwoHundredTwentyHertz)
{
    EXPECT_EQ(NoteFrequencies[12], 440.0f);
    EXPECT_NEAR(NoteFrequencies[0], 220.0f, 1e-3f);
    EXPECT_NEAR(NoteFrequencies[23], 830.61f, 1e-2f);
    // Degree 0 an octave down is A3 + 1 semitone halved: about 116.5 Hz.
    EXPECT_NEAR(DegreeFrequency(0, -1), 116.54f, 0.01f);
}

TEST_F(MusicNotes, DrumsWaitForTheBankWhileSquareNotesPlayAtOnce)
{
    SamplesLoaded = false;
    PlayMusicNote(17, 0.0f, 0.06f, 0.7f, 0.0f, 0, 0);
    EXPECT_FALSE(VoiceActive[MusicVoiceBase]);
    PlayMusicNote(9, 440.0f, 0.04f, 1.0f, 0.0f, 18900, 0);
    EXPECT_TRUE(VoiceActive[MusicVoiceBase]);
    EXPECT_EQ(Voices[MusicVoiceBase].kind, 9);
}

TEST_F(MusicNotes, FullPoolDropsTheNoteAndTheSearchWrapsToTheFreeVoice)
{
    for (int m = 0; m < 64; ++m)
    {
        VoiceActive[MusicVoiceBase + m] = true;
    }
    nextMusicVoice = 20;
    std::vector<int> d = Draws(6, 1);
    PlayMusicNote(9, 440.0f, 0.04f, 1.0f, 0.0f, 18900, 0);
    EXPECT_EQ(nextMusicVoice, 20);
    EXPECT_EQ(std::rand(), d[0]);  // a dropped note draws nothing

    VoiceActive[MusicVoiceBase + 10] = false;
    Voices[MusicVoiceBase + 10].kind = 0;
    PlayMusicNote(9, 440.0f, 0.04f, 1.0f, 0.0f, 18900, 0);
    EXPECT_EQ(nextMusicVoice, 10);
    EXPECT_TRUE(VoiceActive[MusicVoiceBase + 10]);
    EXPECT_EQ(Voices[MusicVoiceBase + 10].kind, 9);
}

TEST_F(MusicNotes, ArpeggioPlaysOnlyAsManyNotesAsThereAreFreeVoices)
{
    // Running garden, section 1, step 3: find a seed that plays the six-note
    // arpeggio (sustain 9450). Drums are kept out of the pool for clarity.
    auto arpeggio = [&](unsigned seed, int freeVoices) {
        fresh(1, 1);
        SamplesLoaded = false;
        for (int m = freeVoices; m < 64; ++m)
        {
            VoiceActive[MusicVoiceBase + m] = true;
            Voices[MusicVoiceBase + m].sustain = 0;
        }
        std::srand(seed);
        GameMusicStep(3);
        std::vector<uint32_t> delays;
        for (int m = 0; m < freeVoices; ++m)
        {
            if (VoiceActive[MusicVoiceBase + m] && Voices[MusicVoiceBase + m].sustain == 9450)
            {
                delays.push_back(Voices[MusicVoiceBase + m].delay);
            }
        }
        return delays;
    };
    unsigned seed = 0;
    while (arpeggio(++seed, 64).size() != 6)
    {
        ASSERT_LT(seed, 200u);
    }
    EXPECT_EQ(arpeggio(seed, 64), (std::vector<uint32_t>{0, 9450, 18900, 28350, 37800, 47250}));
    EXPECT_EQ(arpeggio(seed, 3), (std::vector<uint32_t>{0, 9450, 18900}));
}
