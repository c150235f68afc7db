// Voices: filling a voice record, aligning its start to the music grid and
// rendering it one stereo frame at a time (RenderVoice), the reference the
// block renderer is held to. The per-frame arithmetic itself is in
// voice_frame.h, shared with the block renderer.
//
// InitVoice runs on the game thread for sound effects and on the audio thread
// for music notes; GridAlign and RenderVoice run on the audio thread only.
#include "audio/voices.h"

#include <cstdlib>

#include "audio/samples.h"
#include "audio/voice_frame.h"

namespace
{
uint32_t SampleLength(int32_t kind)
{
    int32_t id = kind - FirstSampleKind;
    if (id < 0 || id >= SampleCount)
    {
        return 0;
    }
    return SampleBank[id].length;
}
}  // namespace

// ---------------------------------------------------------------------------
// Starting a voice
// ---------------------------------------------------------------------------

void InitVoice(Voice& voice, int32_t kind, uint32_t attack, uint32_t sustain, uint32_t release,
               uint32_t delay, float frequency, float volume, float echoSend, float panOffset)
{
    voice.frequency = frequency;
    voice.attack = attack;
    voice.echoSend = echoSend;
    voice.delay = delay;
    voice.volume = volume;
    voice.sustain = sustain;
    voice.release = release;
    voice.position = 0;
    voice.gridAlign = true;

    // Callers pass pan with positive meaning right; we store it negated, plus
    // a small random leftward jitter of 0..15/128 so repeated sounds differ.
    int r1 = std::rand() % 16;
    voice.pan = static_cast<float>(r1 * 0.0078125 - panOffset);

    voice.kind = kind;
    if (kind >= FirstSampleKind)
    {
        // A sample plays its whole length at full level. A kind past the end
        // of the bank plays like a sample that failed to load: silent, done
        // right after its delay.
        voice.attack = 0;
        voice.sustain = SampleLength(kind);
        voice.release = 0;
    }

    // Every start plays 1.5 to about 1.602 times louder than asked.
    int r2 = std::rand() % 1024;
    voice.volume = static_cast<float>(voice.volume * (r2 * 0.0001 + 1.5));
}

void GridAlign(Voice& voice, uint32_t clock)
{
    if (!voice.gridAlign)
    {
        return;
    }
    uint32_t m = (voice.delay + clock) % GridFrames;
    if (m == 0)
    {
        return;
    }
    // Move the start forward to the next grid line; a start moved off the
    // beat is played softer so off-beat hits sit behind the beat.
    voice.delay = voice.delay - m + GridFrames;
    if (((voice.delay + clock) / GridFrames) % 4 != 0)
    {
        voice.volume = static_cast<float>(voice.volume * 0.75);
    }
}

bool VoiceFinished(const Voice& voice)
{
    return voice.position >= voice.delay + voice.attack + voice.sustain + voice.release;
}

float EnvelopeLevel(const Voice& voice)
{
    return EnvelopeAt(voice, voice.position);
}

// ---------------------------------------------------------------------------
// Rendering
// ---------------------------------------------------------------------------

StereoSample RenderVoice(Voice& voice)
{
    return RenderVoiceInline(voice);
}

StereoSample Oscillator(int mode, uint32_t position, float frequency, float amplitude, float shape)
{
    return OscillatorFrame(mode, position, frequency, amplitude, shape);
}

float FastSin(float x)
{
    return FastSinInline(x);
}

StereoSample ApplyPan(StereoSample frame, float pan)
{
    return ApplyPanInline(frame, pan);
}
