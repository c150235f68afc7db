// Voices: filling a voice record, aligning its start to the music grid and
// rendering it one stereo frame at a time.
//
// InitVoice runs on the game thread for sound effects and on the audio thread
// for music notes; GridAlign and RenderVoice run on the audio thread only.
// The arithmetic below is deliberately literal: float where the voice fields
// are float, double for phase angles, every float-to-integer step truncating
// toward zero and every 16-bit store keeping the low 16 bits. Recordings of
// the game's sound depend on these exact bits, so do not "simplify" a
// constant's precision or reorder a product.
#include "audio/voices.h"

#include <cmath>
#include <cstdlib>

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

inline void AddToLane(MixLane& lane, StereoSample frame, float echoSend)
{
    lane.dryLeft = static_cast<uint16_t>(lane.dryLeft + static_cast<uint16_t>(frame.left));
    lane.dryRight = static_cast<uint16_t>(lane.dryRight + static_cast<uint16_t>(frame.right));
    lane.sendLeft = static_cast<uint16_t>(lane.sendLeft + static_cast<uint16_t>(TruncTo16(frame.left * echoSend)));
    lane.sendRight = static_cast<uint16_t>(lane.sendRight + static_cast<uint16_t>(TruncTo16(frame.right * echoSend)));
}

// Frames of a voice past its delay, one at a time: the reference for every
// faster loop below and the path for whatever they do not cover.
uint32_t RenderFrameByFrame(Voice& voice, uint32_t count, MixLane* lanes)
{
    for (uint32_t i = 0; i < count; ++i)
    {
        AddToLane(lanes[i], RenderVoiceInline(voice), voice.echoSend);
    }
    return count;
}

}  // namespace

// ---------------------------------------------------------------------------
// Run rendering: the fast path of the block renderer
//
// A run is a stretch of frames inside one envelope phase. Within it the same
// arithmetic as above is done one stage at a time over plain arrays (level,
// phase, mono value, pan and send), so the compiler can keep several frames
// in flight and use vector instructions. Every stage performs exactly the
// operations of the frame-by-frame code in the same precision and order, so
// the bits agree; the block mixing test holds the two side by side.
//
// The run path needs all lengths below 2^24 frames (so their float
// conversions and differences are exact, as in EnvelopeAt) and levels small
// enough that no float-to-integer conversion can leave the 32-bit range; a
// voice outside those bounds renders frame by frame.
// ---------------------------------------------------------------------------

namespace
{
constexpr uint32_t MaxRun = 2048;
constexpr uint32_t ExactFloatLimit = 1u << 24;

// Scratch for one run. Audio thread only: the mixer renders one voice at a
// time.
float RunLevel[MaxRun];   // envelope level x volume
float RunAngle[MaxRun];   // phase angle, rounded to float
uint32_t RunCount[MaxRun];  // square and triangle phase count, 0..44099
int32_t RunLeft[MaxRun];  // unpanned frame (mono kinds use RunLeft only)
int32_t RunRight[MaxRun];

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
    // range, so plain casts truncate exactly as TruncToInt32 does. (Below
    // 25 kHz and 2^24 frames a FastSin angle stays small enough that its
    // wrapped value stays near [-pi, pi).)
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

// Level x volume for n frames from position p, all inside one phase.
void FillLevels(const Voice& voice, Phase phase, uint32_t p, uint32_t n)
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
void FillPlainAngles(float f, uint32_t p, uint32_t n)
{
    const double c = TwoPi * f;
    for (uint32_t i = 0; i < n; ++i)
    {
        RunAngle[i] = static_cast<float>(c * static_cast<double>(p + i) / FramesPerSecond);
    }
}

void FillAngles(const Voice& voice, Phase phase, uint32_t p, uint32_t n)
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
        FillPlainAngles(f, p, n);  // the attack is silenced afterwards
        return;
    case 7:
    {
        const double c = TwoPi * f;
        const double slow = c * 0.015625;
        for (uint32_t i = 0; i < n; ++i)
        {
            double t = static_cast<double>(p + i);
            float m = static_cast<float>(std::sin(slow * t / FramesPerSecond));
            RunAngle[i] = static_cast<float>(m * 0.39269909 + c * t / FramesPerSecond);
        }
        return;
    }
    default:
        FillPlainAngles(f, p, n);
        return;
    }
}

// Sine kinds: s = (int)(FastSin(angle) x 16383) kept to 16 bits, then
// (int)(s x level) kept to 16 bits; nothing where the level is not positive.
void TonesFromAngles(uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i)
    {
        float x = RunAngle[i];
        float y = x + FastPi;
        float k = std::floor(y / FastTwoPi);
        float z = (y - FastPi) - k * FastTwoPi;
        float sine = z >= 0.0f ? 1.27323954f * z - 0.405284735f * z * z
                               : 1.27323954f * z + 0.405284735f * z * z;
        int16_t s = static_cast<int16_t>(static_cast<int32_t>(sine * FullScale));
        float level = RunLevel[i];
        int32_t value = static_cast<int16_t>(static_cast<int32_t>(s * level));
        RunLeft[i] = level > 0.0f ? value : 0;
    }
}

void FillCounts(const Voice& voice, Phase phase, uint32_t p, uint32_t n)
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

void SquaresFromCounts(bool oscillator, uint32_t n)
{
    // The oscillator (kind 9) scales as level x -16383, the square-count
    // kinds as -16383 x level: the same float product either way.
    (void)oscillator;
    for (uint32_t i = 0; i < n; ++i)
    {
        float level = RunLevel[i];
        float full = RunCount[i] < HalfPhaseFrames ? -FullScale : FullScale;
        int32_t value = static_cast<int16_t>(static_cast<int32_t>(level * full));
        RunLeft[i] = level > 0.0f ? value : 0;
    }
}

void TrianglesFromCounts(uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i)
    {
        float level = RunLevel[i];
        float ph = static_cast<float>(static_cast<double>(RunCount[i]) / FramesPerSecond);
        float scale = level * FullScale;
        double v;
        if (ph < 0.5)
        {
            v = 2 * (ph - 0.0f) / (0.5 - 0.0f) - 1;
        }
        else
        {
            double u = (ph - 0.5 - 0.0f) / (0.5 - 0.0f);
            v = 2 * (1 - u) - 1;
        }
        int32_t value = static_cast<int16_t>(static_cast<int32_t>(v * scale));
        RunLeft[i] = level > 0.0f ? value : 0;
    }
}

void SampleFrames(const Voice& voice, uint32_t p, uint32_t n)
{
    const SampleData& sample = SampleBank[voice.kind - FirstSampleKind];
    const uint32_t i0 = p - voice.delay;
    for (uint32_t i = 0; i < n; ++i)
    {
        uint32_t at = i0 + i;
        if (at < sample.length)
        {
            StereoSample in = sample.frames[at];
            float level = RunLevel[i];
            RunLeft[i] = static_cast<int16_t>(static_cast<int32_t>(in.left * level));
            RunRight[i] = static_cast<int16_t>(static_cast<int32_t>(in.right * level));
        }
        else
        {
            RunLeft[i] = 0;
            RunRight[i] = 0;
        }
    }
}

// Pan, echo send and the 16-bit sums into the lanes.
void AddRun(const Voice& voice, bool stereo, uint32_t n, MixLane* lanes)
{
    const int32_t* right = stereo ? RunRight : RunLeft;
    const float send = voice.echoSend;
    if (PanIsCentred(voice.pan))
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            int32_t l = RunLeft[i];
            int32_t r = right[i];
            lanes[i].dryLeft = static_cast<uint16_t>(lanes[i].dryLeft + l);
            lanes[i].dryRight = static_cast<uint16_t>(lanes[i].dryRight + r);
            lanes[i].sendLeft = static_cast<uint16_t>(lanes[i].sendLeft + static_cast<int32_t>(static_cast<int16_t>(l) * send));
            lanes[i].sendRight = static_cast<uint16_t>(lanes[i].sendRight + static_cast<int32_t>(static_cast<int16_t>(r) * send));
        }
        return;
    }
    const PanGains gains = PanGainsFor(voice.pan);
    for (uint32_t i = 0; i < n; ++i)
    {
        int16_t l = static_cast<int16_t>(static_cast<int32_t>(RunLeft[i] * gains.left));
        int16_t r = static_cast<int16_t>(static_cast<int32_t>(right[i] * gains.right));
        lanes[i].dryLeft = static_cast<uint16_t>(lanes[i].dryLeft + l);
        lanes[i].dryRight = static_cast<uint16_t>(lanes[i].dryRight + r);
        lanes[i].sendLeft = static_cast<uint16_t>(lanes[i].sendLeft + static_cast<int32_t>(l * send));
        lanes[i].sendRight = static_cast<uint16_t>(lanes[i].sendRight + static_cast<int32_t>(r * send));
    }
}

// n frames of a voice past its delay, inside one phase.
void RenderRun(const Voice& voice, Phase phase, uint32_t p, uint32_t n, MixLane* lanes)
{
    FillLevels(voice, phase, p, n);
    int32_t kind = voice.kind;
    if (kind >= FirstSampleKind)
    {
        SampleFrames(voice, p, n);
        AddRun(voice, true, n, lanes);
        return;
    }
    if (kind == 6 && phase == Phase::Attack)
    {
        return;  // the glide is silent during its attack
    }
    if (kind == 9 || kind == 10 || kind == 11)
    {
        FillCounts(voice, phase, p, n);
        SquaresFromCounts(kind == 9, n);
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
    AddRun(voice, false, n, lanes);
}

uint32_t RenderSounding(Voice& voice, uint32_t count, MixLane* lanes)
{
    if (count == 0)
    {
        return 0;
    }
    if (!RunPathFits(voice))
    {
        return RenderFrameByFrame(voice, count, lanes);
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
        n = n < MaxRun ? n : MaxRun;
        n = n < phaseEnd - p ? n : phaseEnd - p;
        RenderRun(voice, phase, p, n, lanes + done);
        voice.position += n;
        done += n;
    }
    return count;
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

uint32_t RenderVoiceBlock(Voice& voice, uint32_t frames, MixLane* lanes)
{
    // The voice finishes after the frame that brings its position to the sum
    // of its lengths (at once, after one frame, if it is already there).
    const uint32_t end = voice.delay + voice.attack + voice.sustain + voice.release;
    const uint32_t untilEnd = end > voice.position ? end - voice.position : 1;
    const uint32_t count = frames < untilEnd ? frames : untilEnd;

    uint32_t n = 0;
    if (voice.position < voice.delay)
    {
        // Silence adds nothing to the lanes.
        uint32_t quiet = voice.delay - voice.position;
        n = quiet < count ? quiet : count;
        voice.position += n;
    }
    n += RenderSounding(voice, count - n, lanes + n);
    return n;
}
