// Voice records and how one voice becomes one stereo frame: the plain
// per-voice renderer, the reference the block renderer (block_render.h) is
// held to. See voices.cpp for which thread calls what.
#pragma once

#include <cstdint>

#include "audio/stereo.h"
#include "audio/voice_kind.h"

struct Voice
{
    uint32_t position;  // frames rendered since activation, the delay included
    uint32_t delay;     // frames of silence before the sound
    uint32_t attack;
    uint32_t sustain;   // for sample kinds: the sample's length in frames
    uint32_t release;
    float frequency;    // Hz, synthesised kinds only
    float volume;
    float echoSend;
    float pan;          // positive favours the left channel
    int32_t kind;       // VoiceKind: 1..12 synthesised, 17 + SoundId a sample
    bool gridAlign;
};

constexpr uint32_t BeatFrames = 18900;  // 140 bpm at 44100 Hz
constexpr uint32_t GridFrames = 4725;   // a quarter beat

void InitVoice(Voice& voice, int32_t kind, uint32_t attack, uint32_t sustain, uint32_t release,
               uint32_t delay, float frequency, float volume, float echoSend, float panOffset);
// Moves a grid-aligned voice's start to the next quarter beat of the sample
// clock `clock` (the clock of the frame the voice is activated at).
void GridAlign(Voice& voice, uint32_t clock);
bool VoiceFinished(const Voice& voice);
float EnvelopeLevel(const Voice& voice);
StereoSample RenderVoice(Voice& voice);
StereoSample Oscillator(int mode, uint32_t position, float frequency, float amplitude, float shape);
float FastSin(float x);
StereoSample ApplyPan(StereoSample frame, float pan);
