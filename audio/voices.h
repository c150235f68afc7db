// Voice records and how one voice becomes one stereo frame (or a block of
// them). See voices.cpp for which thread calls what.
#pragma once

#include <cstdint>

#include "audio/stereo.h"

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

constexpr int32_t FirstSampleKind = 17;
constexpr uint32_t BeatFrames = 18900;  // 140 bpm at 44100 Hz
constexpr uint32_t GridFrames = 4725;   // a quarter beat

void InitVoice(Voice& voice, int32_t kind, uint32_t attack, uint32_t sustain, uint32_t release,
               uint32_t delay, float frequency, float volume, float echoSend, float panOffset);
void GridAlign(Voice& voice);  // reads SampleClock
bool VoiceFinished(const Voice& voice);
float EnvelopeLevel(const Voice& voice);
StereoSample RenderVoice(Voice& voice);
StereoSample Oscillator(int mode, uint32_t position, float frequency, float amplitude, float shape);
float FastSin(float x);
StereoSample ApplyPan(StereoSample frame, float pan);

// One frame of the mixer's accumulators: the dry mix and the echo send. Each
// is a 16-bit sum that wraps; kept unsigned so the wrap is well defined.
struct MixLane
{
    uint16_t dryLeft;
    uint16_t dryRight;
    uint16_t sendLeft;
    uint16_t sendRight;
};

// Renders up to `frames` frames of an active voice, adding each frame to the
// dry mix and frame x echoSend (truncated per channel) to the send of the
// matching lane, exactly as RenderVoice frame by frame would. Stops after the
// frame that finishes the voice and returns how many frames it rendered.
// Kind 8 draws rand() once per frame, so the caller keeps the frame-by-frame
// order when two noise voices play at once.
uint32_t RenderVoiceBlock(Voice& voice, uint32_t frames, MixLane* lanes);
