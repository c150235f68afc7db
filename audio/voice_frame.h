// One frame of one voice: the envelope, the waveforms of every kind and the
// pan, shared by the plain per-voice renderer (voices.cpp) and the block
// renderer (block_render*.cpp).
//
// Internal to those files. Everything here has internal linkage on purpose:
// the block renderer's kernel is compiled once for each instruction set, and
// a shared out-of-line copy built for the wider one must never be picked for
// the other.
//
// The arithmetic is deliberately literal: float where the voice fields are
// float, double for phase angles, every float-to-integer step truncating
// toward zero and every 16-bit store keeping the low 16 bits. A seed replays
// the same sound only with these exact bits (the golden renders check them),
// so do not "simplify" a constant's precision or reorder a product.
#pragma once

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "audio/samples.h"
#include "audio/stereo.h"
#include "audio/voices.h"

namespace
{
constexpr double TwoPi = 6.283185307179586;  // phase angles are double
constexpr float FastPi = 3.1415927f;           // FastSin works in float
constexpr float FastTwoPi = 6.2831855f;
constexpr double FramesPerSecond = 44100.0;
constexpr uint32_t PhaseFrames = 44100;        // one period of a square count
constexpr uint32_t HalfPhaseFrames = 22050;
constexpr float FullScale = 16383.0f;

inline float FastSinInline(float x)
{
    float y = x + FastPi;
    float k = std::floor(y / FastTwoPi);
    float z = (y - FastPi) - k * FastTwoPi;
    if (z >= 0.0f)
    {
        return 1.27323954f * z - 0.405284735f * z * z;
    }
    return 1.27323954f * z + 0.405284735f * z * z;
}

inline float EnvelopeAt(const Voice& voice, uint32_t position)
{
    float p = static_cast<float>(position);
    float d = static_cast<float>(voice.delay);
    float a = static_cast<float>(voice.attack);
    float s = static_cast<float>(voice.sustain);
    float r = static_cast<float>(voice.release);
    if (p < d)
    {
        return 0.0f;
    }
    // A zero-length phase fails its own test, so nothing divides by zero.
    float e = p - d;
    if (e < a)
    {
        return e / a;
    }
    e = e - a;
    if (e < s)
    {
        return 1.0f;
    }
    e = e - s;
    if (e < r)
    {
        return 1.0f - e / r;
    }
    return 0.0f;
}

// Both channels of a mono value v scaled by amp: (int)(v * amp), low 16 bits.
inline StereoSample Scaled(int16_t v, float amp)
{
    int16_t s = TruncTo16(v * amp);
    return {s, s};
}

// A sine of the given angle (computed in double, used in float), scaled.
inline StereoSample Tone(double angle, float amp)
{
    int16_t s = TruncTo16(FastSinInline(static_cast<float>(angle)) * FullScale);
    return Scaled(s, amp);
}

// A square wave at phase count m (0..44099): low for the first half period.
inline StereoSample Square(uint32_t count, float amp)
{
    int16_t s = count < HalfPhaseFrames ? -16383 : 16383;
    return Scaled(s, amp);
}

inline double Angle(float frequency, double time)
{
    return TwoPi * frequency * time / FramesPerSecond;
}

// Release-phase time axis of kinds 5 and 10: the phase slows to a stop over
// the release, which is what makes their pitch fall.
// t is the frame position, d, a, s and r the voice's phase lengths.
[[gnu::always_inline]] inline double ReleaseTimeAt(double t, double d, double a, double s, double r)
{
    double e = t - d - a - s;
    return e * (1.0 - e / r) + (d + a + s);
}

inline double ReleaseTime(const Voice& voice, uint32_t position)
{
    return ReleaseTimeAt(static_cast<double>(position), voice.delay, voice.attack, voice.sustain,
                         voice.release);
}

inline StereoSample OscillatorFrame(int mode, uint32_t position, float frequency, float amplitude,
                                    float shape)
{
    if (mode == 0)
    {
        return Tone(Angle(frequency, position), amplitude);
    }
    uint32_t k = TruncLow32(frequency);
    float ph = static_cast<float>(static_cast<double>(WrapMul32(k, position) % PhaseFrames) / FramesPerSecond);
    float h = static_cast<float>(shape * 0.5);
    int16_t value;
    if (ph < h)
    {
        value = TruncTo16(amplitude * -16383.0f);
    }
    else if (ph < 0.5)
    {
        double v = 2 * (ph - h) / (0.5 - h) - 1;
        value = TruncTo16(v * (amplitude * FullScale));
    }
    else if (ph < 0.5 + h)
    {
        value = TruncTo16(amplitude * FullScale);
    }
    else
    {
        double u = (ph - 0.5 - h) / (0.5 - h);
        double v = 2 * (1 - u) - 1;
        value = TruncTo16(v * (amplitude * FullScale));
    }
    return {value, value};
}

// The unpanned frame of a voice at position (past its delay) with level amp.
inline StereoSample VoiceFrame(const Voice& voice, uint32_t position, float amp)
{
    const uint32_t p = position;
    const uint32_t d = voice.delay;
    const uint32_t a = voice.attack;
    const uint32_t s = voice.sustain;
    const float f = voice.frequency;

    if (voice.kind >= FirstSampleKind)
    {
        int32_t id = voice.kind - FirstSampleKind;
        uint32_t i = p - d;
        if (id < SampleCount && i < SampleBank[id].length)
        {
            StereoSample in = SampleBank[id].frames[i];
            return {TruncTo16(in.left * amp), TruncTo16(in.right * amp)};
        }
        return {0, 0};
    }
    if (amp <= 0.0f)
    {
        return {0, 0};
    }
    switch (voice.kind)
    {
    case KindSine:
        return OscillatorFrame(0, p, f, amp, 0.0f);
    case KindSineSweepUp:
        if (p < d + a)
        {
            double t = TwoPi * f * (static_cast<double>(p) - d) / a * p / FramesPerSecond;
            return Tone(t, amp);
        }
        return Tone(Angle(f, p), amp);
    case KindSineFall:
        if (p < d + a + s)
        {
            return Tone(Angle(f, p), amp);
        }
        return Tone(Angle(f, ReleaseTime(voice, p)), amp);
    case KindSineGlide:
        if (p < d + a)
        {
            return {0, 0};
        }
        if (p < d + a + s)
        {
            double u = (static_cast<double>(p) - d - a) / s;
            return Tone(TwoPi * (u * f) * p / FramesPerSecond, amp);
        }
        return Tone(Angle(f, p), amp);
    case KindFmSine:
    {
        float m = static_cast<float>(std::sin(TwoPi * f * 0.015625 * p / FramesPerSecond));
        return Tone(m * 0.39269909 + Angle(f, p), amp);
    }
    case KindNoise:
    {
        int r = std::rand() % 1024 - 512;
        int16_t v = TruncTo16(r * 0.001953125 * 16383);
        return Scaled(v, amp);
    }
    case KindSquare:
        return OscillatorFrame(1, p, f, amp, 1.0f);
    case KindSquareFall:
        if (p < d + a + s)
        {
            return Square(WrapMul32(TruncLow32(f), p) % PhaseFrames, amp);
        }
        return Square(TruncLow32(ReleaseTime(voice, p) * f) % PhaseFrames, amp);
    case KindSquareSweepUp:
        if (p < d + a)
        {
            // Single precision, like the voice's own fields.
            float t = (static_cast<float>(p) - static_cast<float>(d)) * f / static_cast<float>(a) *
                      static_cast<float>(p);
            return Square(TruncLow32(t) % PhaseFrames, amp);
        }
        return Square(WrapMul32(TruncLow32(f), p) % PhaseFrames, amp);
    case KindTriangle:
        return OscillatorFrame(1, p, f, amp, 0.0f);
    default:
        return {0, 0};  // 0, 2, 3, 13..16 and negative kinds are silent
    }
}

struct PanGains
{
    double left;
    double right;
};

inline bool PanIsCentred(float pan)
{
    return -0.05 < pan && pan < 0.05;
}

inline PanGains PanGainsFor(float pan)
{
    float p = pan < -1.0f ? -1.0f : (pan > 1.0f ? 1.0f : pan);
    return {0.6 + 0.4 * (1 + p), 0.6 + 0.4 * (1 - p)};
}

inline StereoSample ApplyPanInline(StereoSample frame, float pan)
{
    if (PanIsCentred(pan))
    {
        return frame;
    }
    PanGains gains = PanGainsFor(pan);
    return {TruncTo16(frame.left * gains.left), TruncTo16(frame.right * gains.right)};
}

inline StereoSample RenderVoiceInline(Voice& voice)
{
    if (voice.position < voice.delay)
    {
        voice.position += 1;
        return {0, 0};
    }
    float amp = EnvelopeAt(voice, voice.position) * voice.volume;
    StereoSample frame = VoiceFrame(voice, voice.position, amp);
    frame = ApplyPanInline(frame, voice.pan);
    voice.position += 1;
    return frame;
}
}  // namespace
