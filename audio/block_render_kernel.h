// The block renderer's kernel: the fast path that renders a voice's frames a
// run at a time.
//
// Included by exactly two files, block_render_baseline.cpp and
// block_render_avx2.cpp, which build the same code for the baseline and for
// the AVX2 instruction set; block_render.cpp picks one at run time. Both give
// the same bits, since neither build uses an option that changes a value.
// Everything here has internal linkage so that the two builds never mix.
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
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "audio/block_render.h"
#include "audio/samples.h"
#include "audio/voice_frame.h"

namespace
{
constexpr uint32_t MaxRun = 256;  // frames per stage pass: the scratch stays in L1

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

// Bitwise select: the vectoriser will not turn a branch around a float
// operation into a select, so the stages pick between values this way.
template <typename Value>
[[gnu::always_inline]] inline Value Select(bool pick, Value a, Value b)
{
    static_assert(sizeof(Value) == 4 || sizeof(Value) == 8, "float or double");
    using Bits = std::conditional_t<sizeof(Value) == 8, uint64_t, uint32_t>;
    Bits bitsA;
    Bits bitsB;
    std::memcpy(&bitsA, &a, sizeof(Value));
    std::memcpy(&bitsB, &b, sizeof(Value));
    const Bits mask = Bits{0} - static_cast<Bits>(pick);
    const Bits bits = (bitsA & mask) | (bitsB & ~mask);
    Value out;
    std::memcpy(&out, &bits, sizeof(Value));
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
        const double x = Select(inRange, argument, 0.0);
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

        double value = Select((quadrant & 1) != 0, cosine, sine);
        value = Select((quadrant & 2) != 0, -value, value);
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
    case KindSineSweepUp:
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
    case KindSineFall:
        if (phase == Phase::Release)
        {
            const double c = TwoPi * f;
            for (uint32_t i = 0; i < n; ++i)
            {
                double tau = ReleaseTimeAt(static_cast<double>(p + i), d, a, s, r);
                RunAngle[i] = static_cast<float>(c * tau / FramesPerSecond);
            }
            return;
        }
        FillPlainAngles(f, p, n);
        return;
    case KindSineGlide:
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
    case KindFmSine:
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
        float k = Select(whole > turns, whole - 1.0f, whole);
        float z = (y - FastPi) - k * FastTwoPi;
        float linear = 1.27323954f * z;
        float square = 0.405284735f * z * z;
        float sine = Select(z >= 0.0f, linear - square, linear + square);
        int16_t s = static_cast<int16_t>(static_cast<int32_t>(sine * FullScale));
        float level = RunLevel[i];
        int32_t value = static_cast<int16_t>(static_cast<int32_t>(s * level));
        RunLeft[i] = value & PositiveMask(level);
    }
}

[[gnu::always_inline]] inline void FillCounts(const Voice& voice, Phase phase, uint32_t p, uint32_t n)
{
    const float f = voice.frequency;
    if (voice.kind == KindSquareFall && phase == Phase::Release)
    {
        const double d = voice.delay;
        const double a = voice.attack;
        const double s = voice.sustain;
        const double r = voice.release;
        for (uint32_t i = 0; i < n; ++i)
        {
            double tau = ReleaseTimeAt(static_cast<double>(p + i), d, a, s, r);
            RunCount[i] = TruncLow32(tau * f) % PhaseFrames;
        }
        return;
    }
    if (voice.kind == KindSquareSweepUp && phase == Phase::Attack)
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
        float full = Select(RunCount[i] < HalfPhaseFrames, -FullScale, FullScale);
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
        double v = Select(ph < 0.5, rising, falling);
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
    case KindSquare:
        return true;
    case KindSquareFall:
        return phase != Phase::Release;
    case KindSquareSweepUp:
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
    if (kind == KindSineGlide && phase == Phase::Attack)
    {
        return;  // the glide is silent during its attack
    }
    if (kind == KindSquare || kind == KindSquareFall || kind == KindSquareSweepUp)
    {
        FillCounts(voice, phase, p, n);
        SquaresFromCounts(n);
    }
    else if (kind == KindTriangle)
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

// Renders `count` frames of a voice that fits the run path, is past its delay
// and does not finish before the last of them, phase by phase.
[[gnu::always_inline]] inline void RenderRuns(Voice& voice, uint32_t count, MixLanes& lanes, uint32_t at)
{
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
