// Voices: filling a voice record, aligning its start to the music grid and
// rendering it, one stereo frame at a time (RenderVoice, the reference) or a
// block of frames at a time (RenderVoiceBlock, what the mixer uses).
//
// InitVoice runs on the game thread for sound effects and on the audio thread
// for music notes; GridAlign, RenderVoice and the block renderer run on the
// audio thread only (the block renderer's scratch arrays are static).
// The arithmetic below is deliberately literal: float where the voice fields
// are float, double for phase angles, every float-to-integer step truncating
// toward zero and every 16-bit store keeping the low 16 bits. Recordings of
// the game's sound depend on these exact bits, so do not "simplify" a
// constant's precision or reorder a product.
#include "audio/voices.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "audio/mixer.h"
#include "audio/samples.h"

// ---------------------------------------------------------------------------
// Per-frame arithmetic, shared by RenderVoice and the block renderer
// ---------------------------------------------------------------------------

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

uint32_t SampleLength(int32_t kind)
{
    int32_t id = kind - FirstSampleKind;
    if (id < 0 || id >= SampleCount)
    {
        return 0;
    }
    return SampleBank[id].length;
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
inline double ReleaseTime(const Voice& voice, uint32_t position)
{
    double d = voice.delay;
    double a = voice.attack;
    double s = voice.sustain;
    double r = voice.release;
    double e = static_cast<double>(position) - d - a - s;
    return e * (1.0 - e / r) + (d + a + s);
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
    case 1:
        return OscillatorFrame(0, p, f, amp, 0.0f);
    case 4:
        if (p < d + a)
        {
            double t = TwoPi * f * (static_cast<double>(p) - d) / a * p / FramesPerSecond;
            return Tone(t, amp);
        }
        return Tone(Angle(f, p), amp);
    case 5:
        if (p < d + a + s)
        {
            return Tone(Angle(f, p), amp);
        }
        return Tone(Angle(f, ReleaseTime(voice, p)), amp);
    case 6:
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
    case 7:
    {
        float m = static_cast<float>(std::sin(TwoPi * f * 0.015625 * p / FramesPerSecond));
        return Tone(m * 0.39269909 + Angle(f, p), amp);
    }
    case 8:
    {
        int r = std::rand() % 1024 - 512;
        int16_t v = TruncTo16(r * 0.001953125 * 16383);
        return Scaled(v, amp);
    }
    case 9:
        return OscillatorFrame(1, p, f, amp, 1.0f);
    case 10:
        if (p < d + a + s)
        {
            return Square(WrapMul32(TruncLow32(f), p) % PhaseFrames, amp);
        }
        return Square(TruncLow32(ReleaseTime(voice, p) * f) % PhaseFrames, amp);
    case 11:
        if (p < d + a)
        {
            // Single precision, like the voice's own fields.
            float t = (static_cast<float>(p) - static_cast<float>(d)) * f / static_cast<float>(a) *
                      static_cast<float>(p);
            return Square(TruncLow32(t) % PhaseFrames, amp);
        }
        return Square(WrapMul32(TruncLow32(f), p) % PhaseFrames, amp);
    case 12:
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

inline void AddToLanes(MixLanes& lanes, uint32_t at, StereoSample frame, float echoSend)
{
    lanes.dryLeft[at] = static_cast<uint16_t>(lanes.dryLeft[at] + static_cast<uint16_t>(frame.left));
    lanes.dryRight[at] = static_cast<uint16_t>(lanes.dryRight[at] + static_cast<uint16_t>(frame.right));
    lanes.sendLeft[at] = static_cast<uint16_t>(lanes.sendLeft[at] + static_cast<uint16_t>(TruncTo16(frame.left * echoSend)));
    lanes.sendRight[at] = static_cast<uint16_t>(lanes.sendRight[at] + static_cast<uint16_t>(TruncTo16(frame.right * echoSend)));
}

// Frames of a voice past its delay, one at a time: the reference for every
// faster loop below and the path for whatever they do not cover.
void RenderFrameByFrame(Voice& voice, uint32_t count, MixLanes& lanes, uint32_t at)
{
    for (uint32_t i = 0; i < count; ++i)
    {
        AddToLanes(lanes, at + i, RenderVoiceInline(voice), voice.echoSend);
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Run rendering: the fast path of the block renderer
//
// A run is a stretch of frames inside one envelope phase. Within it the same
// arithmetic as the frame-by-frame code is done one stage at a time over
// short plain arrays (level, phase, mono value, pan and send), with selects
// instead of branches, so the compiler can turn each stage into vector
// instructions. Every stage performs exactly the operations of the
// frame-by-frame code, in the same precision and order, so the bits agree;
// the block mixing test holds the two side by side.
//
// The run path needs all lengths below 2^24 frames (so their float
// conversions and differences are exact, as in EnvelopeAt), and levels and
// pitches small enough that no float-to-integer conversion can leave the
// 32-bit range, which lets plain casts stand in for TruncToInt32. A voice
// outside those bounds renders frame by frame.
// ---------------------------------------------------------------------------

namespace
{
constexpr uint32_t MaxRun = 256;  // frames per stage pass: the scratch stays in L1
constexpr uint32_t ExactFloatLimit = 1u << 24;

// Scratch for one run. Audio thread only: the mixer renders one voice at a
// time.
float RunLevel[MaxRun];      // envelope level x volume
float RunAngle[MaxRun];      // phase angle, rounded to float
uint32_t RunCount[MaxRun];   // square and triangle phase count, 0..44099
int32_t RunLeft[MaxRun];     // unpanned frame (mono kinds use RunLeft only)
int32_t RunRight[MaxRun];
double RunArgument[MaxRun];  // kind 7: the modulator's library-sine argument
float RunModulator[MaxRun];  // kind 7: that sine, rounded to float
int32_t RunFixUp[MaxRun];    // kind 7: frames whose sine the library must give

enum class Phase
{
    Attack,
    Sustain,
    Release,
};

bool RunPathFits(const Voice& voice)
{
    const uint64_t end = static_cast<uint64_t>(voice.delay) + voice.attack + voice.sustain + voice.release;
    if (end >= ExactFloatLimit)
    {
        return false;
    }
    if (voice.position >= end)
    {
        return false;  // a voice already at its end renders one frame
    }
    // Bounded levels and pitches keep every product far inside the 32-bit
    // range. Below 25 kHz and 2^24 frames a FastSin angle stays under 2^27,
    // so its turn count fits an int and its wrapped value stays near
    // [-pi, pi).
    if (!(std::fabs(voice.volume) <= 100.0f) || !(std::fabs(voice.echoSend) <= 1000.0f) ||
        std::isnan(voice.pan))
    {
        return false;
    }
    int32_t kind = voice.kind;
    if (kind >= FirstSampleKind)
    {
        return kind - FirstSampleKind < SampleCount;
    }
    if (!(std::fabs(voice.frequency) <= 25000.0f))
    {
        return false;
    }
    return kind == 1 || (kind >= 4 && kind <= 7) || (kind >= 9 && kind <= 12);
}

// Bitwise selects: the vectoriser will not turn a branch around a float
// operation into a select, so the stages pick between values this way.
[[gnu::always_inline]] inline float SelectFloat(bool pick, float a, float b)
{
    uint32_t bitsA;
    uint32_t bitsB;
    std::memcpy(&bitsA, &a, sizeof(float));
    std::memcpy(&bitsB, &b, sizeof(float));
    const uint32_t mask = 0u - static_cast<uint32_t>(pick);
    const uint32_t bits = (bitsA & mask) | (bitsB & ~mask);
    float out;
    std::memcpy(&out, &bits, sizeof(float));
    return out;
}

[[gnu::always_inline]] inline double SelectDouble(bool pick, double a, double b)
{
    uint64_t bitsA;
    uint64_t bitsB;
    std::memcpy(&bitsA, &a, sizeof(double));
    std::memcpy(&bitsB, &b, sizeof(double));
    const uint64_t mask = 0u - static_cast<uint64_t>(pick);
    const uint64_t bits = (bitsA & mask) | (bitsB & ~mask);
    double out;
    std::memcpy(&out, &bits, sizeof(double));
    return out;
}

// All ones where the level is positive, else zero: the synthesised kinds are
// silent at a level of zero or below.
[[gnu::always_inline]] inline int32_t PositiveMask(float level)
{
    return -static_cast<int32_t>(level > 0.0f);
}

// Level x volume for n frames from position p, all inside one phase.
[[gnu::always_inline]] inline void FillLevels(const Voice& voice, Phase phase, uint32_t p, uint32_t n)
{
    const float volume = voice.volume;
    if (phase == Phase::Sustain)
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            RunLevel[i] = 1.0f * volume;
        }
        return;
    }
    if (phase == Phase::Attack)
    {
        const float a = static_cast<float>(voice.attack);
        const uint32_t e0 = p - voice.delay;
        for (uint32_t i = 0; i < n; ++i)
        {
            RunLevel[i] = static_cast<float>(e0 + i) / a * volume;
        }
        return;
    }
    const float r = static_cast<float>(voice.release);
    const uint32_t e0 = p - voice.delay - voice.attack - voice.sustain;
    for (uint32_t i = 0; i < n; ++i)
    {
        RunLevel[i] = (1.0f - static_cast<float>(e0 + i) / r) * volume;
    }
}

// Angles 2 pi f P / 44100 (the plain sine axis).
[[gnu::always_inline]] inline void FillPlainAngles(float f, uint32_t p, uint32_t n)
{
    const double c = TwoPi * f;
    for (uint32_t i = 0; i < n; ++i)
    {
        RunAngle[i] = static_cast<float>(c * static_cast<double>(p + i) / FramesPerSecond);
    }
}

// The library sine of each RunArgument, rounded to float, for the modulator
// of kind 7. A library call costs more than the rest of a voice's frame, so
// we evaluate our own series first: its error is a few units in the last
// place of a double, while rounding to float throws away 29 bits. Unless the
// value lies within a hair (2^-45 relative) of a point where float rounding
// flips, our float and the library's float are the same number. Those rare
// frames, frames near a zero of the sine (where the argument reduction loses
// relative accuracy) and arguments beyond the reduction's range go to the
// library in a second pass.
[[gnu::always_inline]] inline void FillModulators(uint32_t n)
{
    // x = q (pi/2) + r with |r| <= pi/4. The first two parts of pi/2 carry
    // at most 33 significant bits, so q x part is exact for |q| < 2^20.
    constexpr double TwoOverPi = 0.63661977236758134308;
    constexpr double HalfPi1 = 1.57079632673412561417e+00;
    constexpr double HalfPi2 = 6.07710050630396597660e-11;
    constexpr double HalfPi3 = 2.02226624879595063154e-21;
    constexpr double MaxArgument = 1.0e6;   // keeps |q| < 2^20
    constexpr double RoundingShift = 6755399441055744.0;  // 1.5 x 2^52
    for (uint32_t i = 0; i < n; ++i)
    {
        const double argument = RunArgument[i];
        const bool inRange = std::fabs(argument) < MaxArgument;
        const double x = SelectDouble(inRange, argument, 0.0);
        // Nearest integer, ties to even: adding 1.5 x 2^52 leaves no bits
        // below the unit, and the low bits of the sum's mantissa are those
        // of q itself (2^51 + q), which gives the quadrant without a
        // conversion.
        const double shifted = x * TwoOverPi + RoundingShift;
        uint64_t shiftedBits;
        std::memcpy(&shiftedBits, &shifted, sizeof(double));
        const uint64_t quadrant = shiftedBits & 3;
        const double q = shifted - RoundingShift;
        const double r = ((x - q * HalfPi1) - q * HalfPi2) - q * HalfPi3;
        const double r2 = r * r;

        // sin r with Taylor terms through r^19 and cos r through r^20: the
        // rest is below 2^-70 for |r| <= pi/4.
        double sinPoly = -1.0 / 121645100408832000.0;
        sinPoly = sinPoly * r2 + 1.0 / 355687428096000.0;
        sinPoly = sinPoly * r2 - 1.0 / 1307674368000.0;
        sinPoly = sinPoly * r2 + 1.0 / 6227020800.0;
        sinPoly = sinPoly * r2 - 1.0 / 39916800.0;
        sinPoly = sinPoly * r2 + 1.0 / 362880.0;
        sinPoly = sinPoly * r2 - 1.0 / 5040.0;
        sinPoly = sinPoly * r2 + 1.0 / 120.0;
        sinPoly = sinPoly * r2 - 1.0 / 6.0;
        const double sine = r + r * r2 * sinPoly;

        double cosPoly = 1.0 / 2432902008176640000.0;
        cosPoly = cosPoly * r2 - 1.0 / 6402373705728000.0;
        cosPoly = cosPoly * r2 + 1.0 / 20922789888000.0;
        cosPoly = cosPoly * r2 - 1.0 / 87178291200.0;
        cosPoly = cosPoly * r2 + 1.0 / 479001600.0;
        cosPoly = cosPoly * r2 - 1.0 / 3628800.0;
        cosPoly = cosPoly * r2 + 1.0 / 40320.0;
        cosPoly = cosPoly * r2 - 1.0 / 720.0;
        cosPoly = cosPoly * r2 + 1.0 / 24.0;
        const double cosine = 1.0 - 0.5 * r2 + r2 * r2 * cosPoly;

        double value = SelectDouble((quadrant & 1) != 0, cosine, sine);
        value = SelectDouble((quadrant & 2) != 0, -value, value);
        const double margin = std::fabs(value) * 0x1.0p-45;
        const float below = static_cast<float>(value - margin);
        const float above = static_cast<float>(value + margin);
        RunModulator[i] = below;
        RunFixUp[i] = static_cast<int32_t>(!inRange) | static_cast<int32_t>(std::fabs(r) < 0x1.0p-10) |
                      static_cast<int32_t>(below != above);
    }
    for (uint32_t i = 0; i < n; ++i)
    {
        if (RunFixUp[i] != 0)
        {
            RunModulator[i] = static_cast<float>(std::sin(RunArgument[i]));
        }
    }
}

[[gnu::always_inline]] inline void FillAngles(const Voice& voice, Phase phase, uint32_t p, uint32_t n)
{
    const float f = voice.frequency;
    const double d = voice.delay;
    const double a = voice.attack;
    const double s = voice.sustain;
    const double r = voice.release;
    switch (voice.kind)
    {
    case 4:
        if (phase == Phase::Attack)
        {
            const double c = TwoPi * f;
            for (uint32_t i = 0; i < n; ++i)
            {
                double t = static_cast<double>(p + i);
                RunAngle[i] = static_cast<float>(c * (t - d) / a * t / FramesPerSecond);
            }
            return;
        }
        FillPlainAngles(f, p, n);
        return;
    case 5:
        if (phase == Phase::Release)
        {
            const double c = TwoPi * f;
            for (uint32_t i = 0; i < n; ++i)
            {
                double e = static_cast<double>(p + i) - d - a - s;
                double tau = e * (1.0 - e / r) + (d + a + s);
                RunAngle[i] = static_cast<float>(c * tau / FramesPerSecond);
            }
            return;
        }
        FillPlainAngles(f, p, n);
        return;
    case 6:
        if (phase == Phase::Sustain)
        {
            for (uint32_t i = 0; i < n; ++i)
            {
                double t = static_cast<double>(p + i);
                double u = (t - d - a) / s;
                RunAngle[i] = static_cast<float>(TwoPi * (u * f) * t / FramesPerSecond);
            }
            return;
        }
        FillPlainAngles(f, p, n);  // the attack is silenced by the caller
        return;
    case 7:
    {
        const double c = TwoPi * f;
        const double slow = c * 0.015625;
        for (uint32_t i = 0; i < n; ++i)
        {
            RunArgument[i] = slow * static_cast<double>(p + i) / FramesPerSecond;
        }
        FillModulators(n);
        for (uint32_t i = 0; i < n; ++i)
        {
            double t = static_cast<double>(p + i);
            RunAngle[i] = static_cast<float>(RunModulator[i] * 0.39269909 + c * t / FramesPerSecond);
        }
        return;
    }
    default:
        FillPlainAngles(f, p, n);
        return;
    }
}

// Sine kinds: s = (int)(FastSin(angle) x 16383) kept to 16 bits, then
// (int)(s x level) kept to 16 bits. FastSin's floor is taken through an int:
// on the run path the turn count is far inside the int range, and from 2^23
// on a float is an integer anyway, so this is exactly floor.
[[gnu::always_inline]] inline void TonesFromAngles(uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i)
    {
        float x = RunAngle[i];
        float y = x + FastPi;
        float turns = y / FastTwoPi;
        float whole = static_cast<float>(static_cast<int32_t>(turns));
        float k = SelectFloat(whole > turns, whole - 1.0f, whole);
        float z = (y - FastPi) - k * FastTwoPi;
        float linear = 1.27323954f * z;
        float square = 0.405284735f * z * z;
        float sine = SelectFloat(z >= 0.0f, linear - square, linear + square);
        int16_t s = static_cast<int16_t>(static_cast<int32_t>(sine * FullScale));
        float level = RunLevel[i];
        int32_t value = static_cast<int16_t>(static_cast<int32_t>(s * level));
        RunLeft[i] = value & PositiveMask(level);
    }
}

[[gnu::always_inline]] inline void FillCounts(const Voice& voice, Phase phase, uint32_t p, uint32_t n)
{
    const float f = voice.frequency;
    if (voice.kind == 10 && phase == Phase::Release)
    {
        const double d = voice.delay;
        const double a = voice.attack;
        const double s = voice.sustain;
        const double r = voice.release;
        for (uint32_t i = 0; i < n; ++i)
        {
            double e = static_cast<double>(p + i) - d - a - s;
            double tau = e * (1.0 - e / r) + (d + a + s);
            RunCount[i] = TruncLow32(tau * f) % PhaseFrames;
        }
        return;
    }
    if (voice.kind == 11 && phase == Phase::Attack)
    {
        const float d = static_cast<float>(voice.delay);
        const float a = static_cast<float>(voice.attack);
        for (uint32_t i = 0; i < n; ++i)
        {
            float t = static_cast<float>(p + i);
            RunCount[i] = TruncLow32((t - d) * f / a * t) % PhaseFrames;
        }
        return;
    }
    const uint32_t k = TruncLow32(f);
    for (uint32_t i = 0; i < n; ++i)
    {
        RunCount[i] = (k * (p + i)) % PhaseFrames;
    }
}

// Squares from counts: low for the first half period. The oscillator
// (kind 9) scales as level x -16383 and the square-count kinds as
// -16383 x level: the same float product either way.
[[gnu::always_inline]] inline void SquaresFromCounts(uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i)
    {
        float level = RunLevel[i];
        float full = SelectFloat(RunCount[i] < HalfPhaseFrames, -FullScale, FullScale);
        int32_t value = static_cast<int16_t>(static_cast<int32_t>(level * full));
        RunLeft[i] = value & PositiveMask(level);
    }
}

// The triangle is the oscillator with shape 0: no flat parts, a rising ramp
// in the first half period and a falling one in the second.
[[gnu::always_inline]] inline void TrianglesFromCounts(uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i)
    {
        float level = RunLevel[i];
        float ph = static_cast<float>(static_cast<double>(RunCount[i]) / FramesPerSecond);
        float scale = level * FullScale;
        double rising = 2 * (ph - 0.0f) / (0.5 - 0.0f) - 1;
        double u = (ph - 0.5 - 0.0f) / (0.5 - 0.0f);
        double falling = 2 * (1 - u) - 1;
        double v = SelectDouble(ph < 0.5, rising, falling);
        int32_t value = static_cast<int16_t>(static_cast<int32_t>(v * scale));
        RunLeft[i] = value & PositiveMask(level);
    }
}

[[gnu::always_inline]] inline void SampleFrames(const Voice& voice, uint32_t p, uint32_t n)
{
    const SampleData& sample = SampleBank[voice.kind - FirstSampleKind];
    const uint32_t i0 = p - voice.delay;
    // Frames past the end of the recording (the bank may have changed since
    // the voice started) are silent.
    const uint32_t remaining = i0 < sample.length ? sample.length - i0 : 0;
    const uint32_t playing = n < remaining ? n : remaining;
    const StereoSample* in = sample.frames + (playing > 0 ? i0 : 0);
    for (uint32_t i = 0; i < playing; ++i)
    {
        float level = RunLevel[i];
        RunLeft[i] = static_cast<int16_t>(static_cast<int32_t>(in[i].left * level));
        RunRight[i] = static_cast<int16_t>(static_cast<int32_t>(in[i].right * level));
    }
    for (uint32_t i = playing; i < n; ++i)
    {
        RunLeft[i] = 0;
        RunRight[i] = 0;
    }
}

// Pan, echo send and the 16-bit sums into the lanes.
[[gnu::always_inline]] inline void AddRun(const Voice& voice, bool stereo, uint32_t n, MixLanes& lanes,
                                          uint32_t at)
{
    const int32_t* right = stereo ? RunRight : RunLeft;
    const float send = voice.echoSend;
    uint16_t* dryLeft = lanes.dryLeft + at;
    uint16_t* dryRight = lanes.dryRight + at;
    uint16_t* sendLeft = lanes.sendLeft + at;
    uint16_t* sendRight = lanes.sendRight + at;
    if (PanIsCentred(voice.pan))
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            int32_t l = RunLeft[i];
            int32_t r = right[i];
            dryLeft[i] = static_cast<uint16_t>(dryLeft[i] + l);
            dryRight[i] = static_cast<uint16_t>(dryRight[i] + r);
            sendLeft[i] = static_cast<uint16_t>(sendLeft[i] + static_cast<int32_t>(static_cast<int16_t>(l) * send));
            sendRight[i] = static_cast<uint16_t>(sendRight[i] + static_cast<int32_t>(static_cast<int16_t>(r) * send));
        }
        return;
    }
    const PanGains gains = PanGainsFor(voice.pan);
    for (uint32_t i = 0; i < n; ++i)
    {
        int16_t l = static_cast<int16_t>(static_cast<int32_t>(RunLeft[i] * gains.left));
        int16_t r = static_cast<int16_t>(static_cast<int32_t>(right[i] * gains.right));
        dryLeft[i] = static_cast<uint16_t>(dryLeft[i] + l);
        dryRight[i] = static_cast<uint16_t>(dryRight[i] + r);
        sendLeft[i] = static_cast<uint16_t>(sendLeft[i] + static_cast<int32_t>(l * send));
        sendRight[i] = static_cast<uint16_t>(sendRight[i] + static_cast<int32_t>(r * send));
    }
}

// What one frame of a steady mono value v adds to the lanes after pan and send.
struct LaneAdd
{
    uint16_t dryLeft;
    uint16_t dryRight;
    uint16_t sendLeft;
    uint16_t sendRight;
};

LaneAdd LaneAddOf(const Voice& voice, int16_t v)
{
    int16_t l = v;
    int16_t r = v;
    if (!PanIsCentred(voice.pan))
    {
        const PanGains gains = PanGainsFor(voice.pan);
        l = static_cast<int16_t>(static_cast<int32_t>(v * gains.left));
        r = static_cast<int16_t>(static_cast<int32_t>(v * gains.right));
    }
    return {static_cast<uint16_t>(l), static_cast<uint16_t>(r),
            static_cast<uint16_t>(static_cast<int32_t>(l * voice.echoSend)),
            static_cast<uint16_t>(static_cast<int32_t>(r * voice.echoSend))};
}

// Adds `add` to lanes at .. at + n - 1 as two steps: on at the first frame,
// off after the last. Sums modulo 2^16 make the running total exact.
[[gnu::always_inline]] inline void AddSteady(MixLanes& lanes, uint32_t at, uint32_t n, LaneAdd add)
{
    const uint32_t end = at + n;
    lanes.dryLeftStep[at] = static_cast<uint16_t>(lanes.dryLeftStep[at] + add.dryLeft);
    lanes.dryRightStep[at] = static_cast<uint16_t>(lanes.dryRightStep[at] + add.dryRight);
    lanes.sendLeftStep[at] = static_cast<uint16_t>(lanes.sendLeftStep[at] + add.sendLeft);
    lanes.sendRightStep[at] = static_cast<uint16_t>(lanes.sendRightStep[at] + add.sendRight);
    lanes.dryLeftStep[end] = static_cast<uint16_t>(lanes.dryLeftStep[end] - add.dryLeft);
    lanes.dryRightStep[end] = static_cast<uint16_t>(lanes.dryRightStep[end] - add.dryRight);
    lanes.sendLeftStep[end] = static_cast<uint16_t>(lanes.sendLeftStep[end] - add.sendLeft);
    lanes.sendRightStep[end] = static_cast<uint16_t>(lanes.sendRightStep[end] - add.sendRight);
}

// Pitches whose count moves by at most this much per frame (about 2.2 kHz
// and below) hold each half of the square for ten frames or more, which makes
// walking from edge to edge cheaper than looking at every frame.
constexpr uint32_t SteadySquareMaxStep = 2205;

bool SquareCountsFromPitch(const Voice& voice, Phase phase)
{
    switch (voice.kind)
    {
    case 9:
        return true;
    case 10:
        return phase != Phase::Release;
    case 11:
        return phase != Phase::Attack;
    default:
        return false;
    }
}

// A square at a steady level: the frame takes one of two values, and the
// count (k x P mod 2^32) mod 44100 tells which. Between two edges the lanes
// get the same addition, so the walk goes from edge to edge. The 32-bit
// product wraps now and then; the count is recomputed from scratch at each
// wrap.
[[gnu::always_inline]] inline bool SteadySquare(const Voice& voice, uint32_t p, uint32_t n, MixLanes& lanes,
                                                uint32_t at)
{
    const uint32_t k = TruncLow32(voice.frequency);
    const uint32_t step = k % PhaseFrames;
    if (step > SteadySquareMaxStep)
    {
        return false;
    }
    const float level = 1.0f * voice.volume;
    if (!(level > 0.0f))
    {
        return true;  // silent
    }
    const LaneAdd low = LaneAddOf(voice, static_cast<int16_t>(static_cast<int32_t>(level * -FullScale)));
    const LaneAdd high = LaneAddOf(voice, static_cast<int16_t>(static_cast<int32_t>(level * FullScale)));

    uint32_t i = 0;
    while (i < n)
    {
        const uint64_t product = static_cast<uint64_t>(k) * (p + i);
        uint32_t pieceEnd = n;
        if (k != 0)
        {
            const uint64_t wrapAt = ((product >> 32) + 1) << 32;
            const uint64_t untilWrap = (wrapAt - product + k - 1) / k;
            if (untilWrap < n - i)
            {
                pieceEnd = i + static_cast<uint32_t>(untilWrap);
            }
        }
        uint32_t count = static_cast<uint32_t>(product) % PhaseFrames;
        while (i < pieceEnd)
        {
            const bool isHigh = count >= HalfPhaseFrames;
            const uint32_t edge = isHigh ? PhaseFrames : HalfPhaseFrames;
            uint32_t runEnd = pieceEnd;
            if (step != 0)
            {
                const uint32_t steps = (edge - count + step - 1) / step;
                if (steps < pieceEnd - i)
                {
                    runEnd = i + steps;
                }
                count += steps * step;  // only used when the edge is reached
                if (count >= PhaseFrames)
                {
                    count -= PhaseFrames;
                }
            }
            AddSteady(lanes, at + i, runEnd - i, isHigh ? high : low);
            i = runEnd;
        }
    }
    return true;
}

// n (at most MaxRun) frames of a voice past its delay, inside one phase.
[[gnu::always_inline]] inline void RenderRun(const Voice& voice, Phase phase, uint32_t p, uint32_t n,
                                             MixLanes& lanes, uint32_t at)
{
    FillLevels(voice, phase, p, n);
    int32_t kind = voice.kind;
    if (kind >= FirstSampleKind)
    {
        SampleFrames(voice, p, n);
        AddRun(voice, true, n, lanes, at);
        return;
    }
    if (kind == 6 && phase == Phase::Attack)
    {
        return;  // the glide is silent during its attack
    }
    if (kind == 9 || kind == 10 || kind == 11)
    {
        FillCounts(voice, phase, p, n);
        SquaresFromCounts(n);
    }
    else if (kind == 12)
    {
        FillCounts(voice, phase, p, n);
        TrianglesFromCounts(n);
    }
    else
    {
        FillAngles(voice, phase, p, n);
        TonesFromAngles(n);
    }
    AddRun(voice, false, n, lanes, at);
}

// Renders `count` frames of a voice that is past its delay and does not
// finish before the last of them. On x86-64 it is built twice, for AVX2 and
// for the baseline instruction set, and the loader picks one at start-up;
// both give the same bits. Sanitizer builds keep one version: their runtime
// is not up yet when the loader runs the picking function.
#if defined(__x86_64__) && !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
__attribute__((target_clones("avx2", "default")))
#endif
void RenderSounding(Voice& voice, uint32_t count, MixLanes& lanes, uint32_t at)
{
    if (count == 0)
    {
        return;
    }
    if (!RunPathFits(voice))
    {
        RenderFrameByFrame(voice, count, lanes, at);
        return;
    }
    const uint32_t attackEnd = voice.delay + voice.attack;
    const uint32_t sustainEnd = attackEnd + voice.sustain;
    uint32_t done = 0;
    while (done < count)
    {
        const uint32_t p = voice.position;
        Phase phase;
        uint32_t phaseEnd;
        if (p < attackEnd)
        {
            phase = Phase::Attack;
            phaseEnd = attackEnd;
        }
        else if (p < sustainEnd)
        {
            phase = Phase::Sustain;
            phaseEnd = sustainEnd;
        }
        else
        {
            phase = Phase::Release;
            phaseEnd = sustainEnd + voice.release;
        }
        uint32_t n = count - done;
        n = n < phaseEnd - p ? n : phaseEnd - p;
        if (phase == Phase::Sustain && SquareCountsFromPitch(voice, phase) &&
            SteadySquare(voice, p, n, lanes, at + done))
        {
            voice.position += n;
            done += n;
            continue;
        }
        n = n < MaxRun ? n : MaxRun;
        RenderRun(voice, phase, p, n, lanes, at + done);
        voice.position += n;
        done += n;
    }
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

void GridAlign(Voice& voice)
{
    if (!voice.gridAlign)
    {
        return;
    }
    uint32_t m = (voice.delay + SampleClock) % GridFrames;
    if (m == 0)
    {
        return;
    }
    // Move the start forward to the next grid line; a start moved off the
    // beat is played softer so off-beat hits sit behind the beat.
    voice.delay = voice.delay - m + GridFrames;
    if (((voice.delay + SampleClock) / GridFrames) % 4 != 0)
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

// ---------------------------------------------------------------------------
// Block rendering (audio thread)
// ---------------------------------------------------------------------------

void ClearLanes(MixLanes& lanes, uint32_t frames)
{
    const size_t bytes = sizeof(uint16_t) * frames;
    const size_t stepBytes = sizeof(uint16_t) * (frames + 1);
    std::memset(lanes.dryLeft, 0, bytes);
    std::memset(lanes.dryRight, 0, bytes);
    std::memset(lanes.sendLeft, 0, bytes);
    std::memset(lanes.sendRight, 0, bytes);
    std::memset(lanes.dryLeftStep, 0, stepBytes);
    std::memset(lanes.dryRightStep, 0, stepBytes);
    std::memset(lanes.sendLeftStep, 0, stepBytes);
    std::memset(lanes.sendRightStep, 0, stepBytes);
}

void ResolveLanes(MixLanes& lanes, uint32_t frames)
{
    uint16_t dryLeft = 0;
    uint16_t dryRight = 0;
    uint16_t sendLeft = 0;
    uint16_t sendRight = 0;
    for (uint32_t i = 0; i < frames; ++i)
    {
        dryLeft = static_cast<uint16_t>(dryLeft + lanes.dryLeftStep[i]);
        dryRight = static_cast<uint16_t>(dryRight + lanes.dryRightStep[i]);
        sendLeft = static_cast<uint16_t>(sendLeft + lanes.sendLeftStep[i]);
        sendRight = static_cast<uint16_t>(sendRight + lanes.sendRightStep[i]);
        lanes.dryLeft[i] = static_cast<uint16_t>(lanes.dryLeft[i] + dryLeft);
        lanes.dryRight[i] = static_cast<uint16_t>(lanes.dryRight[i] + dryRight);
        lanes.sendLeft[i] = static_cast<uint16_t>(lanes.sendLeft[i] + sendLeft);
        lanes.sendRight[i] = static_cast<uint16_t>(lanes.sendRight[i] + sendRight);
    }
}

uint32_t RenderVoiceBlock(Voice& voice, uint32_t frames, MixLanes& lanes)
{
    // The voice finishes after the frame that brings its position to the sum
    // of its lengths (at once, after one frame, if it is already there).
    const uint32_t end = voice.delay + voice.attack + voice.sustain + voice.release;
    const uint32_t untilEnd = end > voice.position ? end - voice.position : 1;
    uint32_t count = frames < untilEnd ? frames : untilEnd;
    count = count < MixBlockFrames ? count : MixBlockFrames;

    uint32_t n = 0;
    if (voice.position < voice.delay)
    {
        // Silence adds nothing to the lanes.
        uint32_t quiet = voice.delay - voice.position;
        n = quiet < count ? quiet : count;
        voice.position += n;
    }
    RenderSounding(voice, count - n, lanes, n);
    return count;
}
