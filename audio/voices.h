// Voice records and how one voice becomes one stereo frame (or a block of
// them). See voices.cpp for which thread calls what.
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
void GridAlign(Voice& voice);  // reads SampleClock
bool VoiceFinished(const Voice& voice);
float EnvelopeLevel(const Voice& voice);
StereoSample RenderVoice(Voice& voice);
StereoSample Oscillator(int mode, uint32_t position, float frequency, float amplitude, float shape);
float FastSin(float x);
StereoSample ApplyPan(StereoSample frame, float pan);

// The mixer's accumulators for one block of frames: the dry mix and the echo
// send, each a 16-bit sum that wraps (unsigned, so the wrap is well defined).
// One array per channel keeps the adding loops contiguous.
constexpr uint32_t MixBlockFrames = 2048;
struct MixLanes
{
    uint16_t dryLeft[MixBlockFrames];
    uint16_t dryRight[MixBlockFrames];
    uint16_t sendLeft[MixBlockFrames];
    uint16_t sendRight[MixBlockFrames];
    // Steps of the piecewise-constant parts (steady squares): entry i is what
    // changes from frame i - 1 to frame i. ResolveLanes sums them into the
    // lanes once for all voices, so a square costs per edge, not per frame.
    uint16_t dryLeftStep[MixBlockFrames + 1];
    uint16_t dryRightStep[MixBlockFrames + 1];
    uint16_t sendLeftStep[MixBlockFrames + 1];
    uint16_t sendRightStep[MixBlockFrames + 1];
};

// Zeroes the first `frames` lanes and their steps before a block.
void ClearLanes(MixLanes& lanes, uint32_t frames);
// Adds the running sum of the steps into the lanes after the last voice.
void ResolveLanes(MixLanes& lanes, uint32_t frames);

// Renders up to `frames` (at most MixBlockFrames) frames of an active voice
// into lanes 0.., adding each frame to the dry mix and frame x echoSend
// (truncated per channel) to the send, exactly as RenderVoice frame by frame
// would. Stops after the frame that finishes the voice and returns how many
// frames it rendered. Kind 8 draws rand() once per frame, so the caller keeps
// the frame-by-frame order when two noise voices play at once.
uint32_t RenderVoiceBlock(Voice& voice, uint32_t frames, MixLanes& lanes);
