// VoiceKind: what a voice plays. Every sound operation takes one.
#pragma once

#include <cstdint>

// Synthesised waveforms; 0, 2, 3 and 13..16 (and negative kinds) are silent.
enum VoiceKind : int32_t
{
    KindSilence = 0,
    KindSine = 1,
    KindSineSweepUp = 4,    // rises in pitch during the attack
    KindSineFall = 5,       // falls in pitch during the release
    KindSineGlide = 6,      // silent in the attack, glides up during the sustain
    KindFmSine = 7,         // frequency-modulated sine
    KindNoise = 8,          // white noise, one rand() per frame
    KindSquare = 9,         // the music's notes
    KindSquareFall = 10,    // falls in pitch during the release
    KindSquareSweepUp = 11, // rises in pitch during the attack
    KindTriangle = 12,
};

// Kinds from here on play a sample: kind 17 + n plays the sample with SoundId n.
constexpr int32_t FirstSampleKind = 17;

constexpr int32_t SampleKind(int32_t soundId)
{
    return FirstSampleKind + soundId;
}
