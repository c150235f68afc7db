// The music generator: the title and game generators and their note starts.
//
// Runs on the audio thread only, inside AudioCallback, at the first frame of
// every beat. Each generator decides with rand() which drums (samples 0..15)
// and which square-wave notes to start; the order of the rand() draws is part
// of the music (a seed replays a piece), so every draw below is its own
// statement and never hidden inside an expression with unsequenced operands.
#include "audio/music.h"

#include <cstdlib>

#include "audio/mixer.h"
#include "audio/samples.h"
#include "audio/voices.h"

static_assert(ChordTable[0][3] == 7 && ChordTable[13][3] == 13 && ChordTable[20][3] == 12,
              "chord rows follow the row rule");

namespace
{
// The chord order must visit every row exactly once; a missing entry in the
// table would silently read as row 0.
constexpr bool IsRowPermutation(const std::array<int32_t, ChordRowCount>& order)
{
    bool seen[ChordRowCount] = {};
    for (int32_t row : order)
    {
        if (row < 0 || row >= ChordRowCount || seen[row])
        {
            return false;
        }
        seen[row] = true;
    }
    return true;
}
static_assert(IsRowPermutation(ChordRowOrder), "ChordRowOrder is a permutation of the rows");

// base^exponent by repeated squaring in float, so every pitch is the same
// float product wherever it is computed; a negative exponent takes the
// reciprocal of the positive power.
float FloatPower(float base, int32_t exponent)
{
    uint32_t n = exponent < 0 ? static_cast<uint32_t>(-static_cast<int64_t>(exponent))
                              : static_cast<uint32_t>(exponent);
    float power = 1.0f;
    while (n != 0)
    {
        if (n & 1u)
        {
            power *= base;
        }
        base *= base;
        n >>= 1;
    }
    if (exponent < 0)
    {
        power = 1.0f / power;
    }
    return power;
}
}  // namespace

// ---------------------------------------------------------------------------
// Global state
// ---------------------------------------------------------------------------

int32_t ChordRow = 0;
int32_t MusicSection = 0;
int32_t nextMusicVoice = 0;
float NoteFrequencies[24];

namespace
{
constexpr int MusicVoiceCount = VoiceCount - MusicVoiceBase;  // 64
constexpr int32_t NoteDelayless = 0;

// Lengths in frames.
constexpr uint32_t OneBeat = BeatFrames;             // 18900
constexpr uint32_t HalfBeat = BeatFrames / 2;        // 9450
constexpr uint32_t ThreeBeats = 3 * BeatFrames;      // 56700
constexpr uint32_t FillFirstDelay = BeatFrames / 3;  // 6300: aligns to 9450
constexpr uint32_t FillSecondDelay = 2 * BeatFrames / 3;  // 12600: aligns to 14175

constexpr float TitleNoteEcho = 1.6f;
constexpr float TitleDrumEcho = 0.7f;
constexpr float GameNoteEcho = 1.0f;
constexpr float GameDrumEcho = 0.5f;

// x starts at n; each round draws r and, when x >= r, draws x anew. The first
// round always redraws, later ones less and less often: small values win.
int32_t LowPick(int32_t n, int rounds)
{
    int32_t x = n;
    for (int round = 0; round < rounds; ++round)
    {
        int32_t r = std::rand() % n;
        if (x >= r)
        {
            x = std::rand() % n;
        }
    }
    return x;
}

int32_t Drum(int rounds)
{
    return SampleKind(SoundDrum0 + LowPick(DrumCount, rounds));
}

int32_t PlainDrum()
{
    return SampleKind(SoundDrum0 + std::rand() % DrumCount);
}

// "1 in n": one draw, true when it is 0; n = 1 draws and always plays.
bool OneIn(int32_t n)
{
    return std::rand() % n == 0;
}

int32_t ChordTone(int32_t index)
{
    return ChordTable[ChordRow][index];
}

void PlayDrum(int32_t kind, float volume, float echoSend, uint32_t delay)
{
    PlayMusicNote(kind, 0.0f, volume, echoSend, 0.0f, 0, delay);
}

void PlayNote(int32_t degree, int32_t octaveExponent, float volume, float echoSend,
              uint32_t sustain, uint32_t delay)
{
    PlayMusicNote(KindSquare, DegreeFrequency(degree, octaveExponent), volume, echoSend, 0.0f,
                  sustain, delay);
}

// Title note: chord index, then two downward octave draws, then the note.
void TitleNote(int32_t index, int32_t octaveLift, float volume)
{
    int32_t degree = ChordTone(index);
    int32_t exponent = degree / ScaleLength + octaveLift;
    exponent -= std::rand() % 2;
    exponent -= std::rand() % 2;
    PlayNote(degree, exponent, volume, TitleNoteEcho, OneBeat, NoteDelayless);
}

// Game note: the chord index draw, a spread draw (% spread), then a % chance
// test that lifts the note by `lift` octaves; one octave below the chord.
void GameNote(int32_t spread, int32_t chance, int32_t lift, float volume, uint32_t sustain,
              uint32_t delay)
{
    int32_t index = std::rand() % 4;
    int32_t degree = ChordTone(index);
    int32_t exponent = degree / ScaleLength;
    exponent += std::rand() % spread;
    if (std::rand() % chance == 0)
    {
        exponent += lift;
    }
    exponent -= 1;
    PlayNote(degree, exponent, volume, GameNoteEcho, sustain, delay);
}

// Spread 4 with no lift test: the planting note of section 1.
void GameNoteWideSpread(float volume, uint32_t sustain)
{
    int32_t index = std::rand() % 4;
    int32_t degree = ChordTone(index);
    int32_t exponent = degree / ScaleLength;
    exponent += std::rand() % 4;
    exponent -= 1;
    PlayNote(degree, exponent, volume, GameNoteEcho, sustain, NoteDelayless);
}

// ---- Title generator, one function per section ----

void TitleSection0(int32_t step)
{
    if (OneIn(step % 2 + 2))
    {
        TitleNote(LowPick(4, 2), 0, 0.035f);
    }
    if (OneIn(step % 6 + 3))
    {
        PlayDrum(Drum(3), 0.06f, TitleDrumEcho, 0);
    }
}

void TitleSection1(int32_t step)
{
    if (OneIn(step % 3 + 1))
    {
        TitleNote(std::rand() % 4, 0, 0.036f);
    }
    if (OneIn(step % 3 + 3))
    {
        PlayDrum(PlainDrum(), 0.06f, TitleDrumEcho, 0);
    }
}

void TitleSection2(int32_t step)
{
    if (step % 3 == 0 || OneIn(step % 3))
    {
        TitleNote(std::rand() % 4, step % 8 == 0 ? 2 : 0, 0.038f);
    }
    if (OneIn(2))
    {
        PlayDrum(Drum(3), 0.06f, TitleDrumEcho, 0);
        // The extra drum is only considered after a drum.
        if (OneIn(8))
        {
            PlayDrum(Drum(2), 0.06f, TitleDrumEcho, HalfBeat);
        }
    }
}

void TitleSection3(int32_t step)
{
    // Odd steps still draw (1 in 1), so they consume one value of rand().
    if (step % 2 == 0 || OneIn(1))
    {
        TitleNote(std::rand() % 4, step % 4 == 0 ? 2 : 0, 0.04f);
    }
    if (step % 3 == 0 || OneIn(step % 3))
    {
        PlayDrum(PlainDrum(), 0.05f, TitleDrumEcho, 0);
    }
    if (OneIn(4))
    {
        PlayDrum(Drum(2), 0.05f, TitleDrumEcho, HalfBeat);
    }
}

// ---- Game generator: s = MusicSection mod 2, sparse while planting ----

void GameSection1Planting(int32_t step)
{
    if (step % 3 != 0)
    {
        if (std::rand() % 4 != 0)
        {
            PlayDrum(Drum(3), 0.04f, GameDrumEcho, 0);
        }
    }
    else
    {
        PlayDrum(Drum(2), 0.05f, GameDrumEcho, 0);
    }
    if (step % 6 != 0 && std::rand() % 2 == 0)
    {
        return;
    }
    GameNoteWideSpread(0.04f, OneBeat);
}

void GameSection1Running(int32_t step)
{
    PlayDrum(PlainDrum(), 0.08f, GameDrumEcho, 0);
    if (std::rand() % 2 == 0)
    {
        // A two-hit fill; the grid moves it to 9450 and 14175 frames.
        PlayDrum(Drum(2), 0.06f, GameDrumEcho, FillFirstDelay);
        PlayDrum(Drum(2), 0.06f, GameDrumEcho, FillSecondDelay);
    }
    if (step % 3 != 0)
    {
        return;
    }
    if (std::rand() % 2 == 0)
    {
        for (uint32_t k = 0; k < 6; ++k)
        {
            GameNote(2, 8, 1, 0.045f, HalfBeat, k * HalfBeat);
        }
    }
    else
    {
        GameNote(2, 8, 2, 0.045f, ThreeBeats, NoteDelayless);
    }
}

void GameSection0Planting(int32_t step)
{
    if (step % 3 == 0 && std::rand() % 2 == 0)
    {
        PlayDrum(Drum(3), 0.04f, GameDrumEcho, 0);
    }
    if (step % 3 != 0 && std::rand() % 4 != 0)
    {
        return;
    }
    GameNote(2, 16, 1, 0.035f, OneBeat, NoteDelayless);
}

void GameSection0Running(int32_t step)
{
    if (step % 3 == 0)
    {
        PlayDrum(Drum(2), 0.08f, GameDrumEcho, 0);
    }
    else if (std::rand() % 2 != 0)
    {
        PlayDrum(Drum(3), 0.05f, GameDrumEcho, 0);
    }
    if (step % 3 != 0)
    {
        return;
    }
    if (std::rand() % 2 == 0)
    {
        for (uint32_t k = 0; k < 3; ++k)
        {
            GameNote(2, 8, 1, 0.045f, OneBeat, k * OneBeat);
        }
    }
    else
    {
        GameNote(2, 8, 1, 0.045f, ThreeBeats, NoteDelayless);
    }
}
}  // namespace

// ---------------------------------------------------------------------------
// Notes
// ---------------------------------------------------------------------------

void BuildNoteTable()
{
    // Note k is 440 Hz times the semitone ratio to the power k - 12.
    const float ratio = static_cast<float>(1.0594630943592953);  // 2^(1/12)
    for (int k = 0; k < 24; ++k)
    {
        NoteFrequencies[k] = FloatPower(ratio, k - 12) * 440.0f;
    }
}

float DegreeFrequency(int32_t degree, int32_t octaveExponent)
{
    float product = FloatPower(2.0f, octaveExponent) * NoteFrequencies[ScaleTable[degree % ScaleLength]];
    return product;
}

void PlayMusicNote(int32_t kind, float frequency, float volume, float echoSend, float pan,
                   uint32_t sustain, uint32_t delay)
{
    if (kind >= FirstSampleKind && !SamplesLoaded)
    {
        return;  // drums wait for the whole bank
    }
    if (kind >= EndSampleKind)
    {
        return;  // no such sample
    }

    int found = FindFreeVoice(VoiceActive + MusicVoiceBase, MusicVoiceCount, nextMusicVoice);
    if (found < 0)
    {
        return;  // all 64 music voices sound: the note is dropped
    }
    nextMusicVoice = found;

    Voice& voice = Voices[MusicVoiceBase + found];
    InitVoice(voice, kind, 0, sustain, 0, delay, frequency, volume, echoSend, pan);
    GridAlign(voice, SampleClock);  // the clock of this very frame
    VoiceActive[MusicVoiceBase + found] = true;
}

// ---------------------------------------------------------------------------
// Generators
// ---------------------------------------------------------------------------

void TitleMusicStep(int32_t step)
{
    switch (MusicSection)
    {
    case 0:
        TitleSection0(step);
        break;
    case 1:
        TitleSection1(step);
        break;
    case 2:
        TitleSection2(step);
        break;
    default:
        TitleSection3(step);
        break;
    }
    if (step == 0)
    {
        // Mostly stays, sometimes moves on by one or two sections.
        MusicSection = (MusicSection + LowPick(3, 3)) % 4;
    }
}

void GameMusicStep(int32_t step)
{
    // Read from the mixer's own block, never from the game's state.
    bool running = AudioSlots[mixerSlot].gardenRunning == 1;
    if (MusicSection % 2 == 1)
    {
        if (running)
        {
            GameSection1Running(step);
        }
        else
        {
            GameSection1Planting(step);
        }
    }
    else
    {
        if (running)
        {
            GameSection0Running(step);
        }
        else
        {
            GameSection0Planting(step);
        }
    }
    // A title section 2 or 3 stays as it is (played as 0 or 1) until this toggle.
    if (step == 0 && std::rand() % 8 == 0)
    {
        MusicSection = (MusicSection + 1) % 2;
    }
}
