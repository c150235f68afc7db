// The generative music: two generators called at every beat by the mixer.
// Audio thread only.
#pragma once

#include <array>
#include <cstdint>

constexpr int ScaleLength = 7;
constexpr int ChordRowCount = 21;
constexpr int ChordSize = 4;

// Semitone offsets of the scale within NoteFrequencies.
inline constexpr std::array<int32_t, ScaleLength> ScaleTable = {1, 2, 4, 6, 8, 10, 11};

using ChordRows = std::array<std::array<int32_t, ChordSize>, ChordRowCount>;

// Row r, with root k = r mod 7: rows 0..6 root, second, fifth, octave; rows
// 7..13 a triad with its octave; rows 14..20 a seventh chord. Degrees run 0..13.
constexpr ChordRows BuildChordTable()
{
    constexpr int32_t shapes[3][ChordSize] = {{0, 1, 4, 7}, {0, 2, 4, 7}, {0, 2, 4, 6}};
    ChordRows rows{};
    for (int r = 0; r < ChordRowCount; ++r)
    {
        for (int i = 0; i < ChordSize; ++i)
        {
            rows[r][i] = r % ScaleLength + shapes[r / ScaleLength][i];
        }
    }
    return rows;
}
inline constexpr ChordRows ChordTable = BuildChordTable();

// The order chords follow: a fixed permutation of the rows, indexed by rand().
inline constexpr std::array<int32_t, ChordRowCount> ChordRowOrder = {
    7, 1, 0, 2, 3, 8, 9, 10, 11, 14, 15, 16, 17, 18, 19, 20, 4, 5, 6, 12, 13};

extern int32_t ChordRow;      // current row of ChordTable
extern int32_t MusicSection;  // 0 at program start and never reset
extern int32_t nextMusicVoice;
// NoteFrequencies[k]: 440 Hz x 2^((k - 12) / 12), k = 0..23, filled by
// BuildNoteTable at audio start-up.
extern float NoteFrequencies[24];

void BuildNoteTable();

// Frequency (Hz) of scale degree v (0..13) raised by octave exponent e.
float DegreeFrequency(int32_t degree, int32_t octaveExponent);

void TitleMusicStep(int32_t step);
void GameMusicStep(int32_t step);
void PlayMusicNote(int32_t kind, float frequency, float volume, float echoSend, float pan,
                   uint32_t sustain, uint32_t delay);
