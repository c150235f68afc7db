// make-samples: synthesises the game's 34 sounds and encodes them as Ogg Vorbis.
//
//     make-samples [DIR]              writes DIR/<name>.ogg (default dat/samples)
//     make-samples --test-files DIR   writes the odd files the loader tests use
//
// Every sound is built from a few plain parts (oscillators, seeded noise,
// biquad filters, envelopes, pitch sweeps), so the same binary always writes
// the same files; the game itself only ships the .ogg files. Runs offline on
// one thread.
//
// Levels: the mixer plays effects at 0.1..0.4 of their level (times up to 1.6)
// and drums at only 0.04..0.08, next to square-wave notes of +-16383 at 0.04.
// So drums are normalised close to full scale, effects to -6..-12 dBFS.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <vorbis/vorbisenc.h>

namespace
{
constexpr int SampleRate = 44100;
constexpr float Pi = 3.14159265358979f;
constexpr float TwoPi = 2.0f * Pi;

// The encoder's quality (-0.1..1); 0.35 keeps the whole set small.
constexpr float VorbisQuality = 0.35f;

// ---------------------------------------------------------------------------
// Building blocks
// ---------------------------------------------------------------------------

struct Sound
{
    std::vector<float> left;
    std::vector<float> right;
};

int Frames(float seconds)
{
    return static_cast<int>(seconds * SampleRate);
}

float Time(int frame)
{
    return static_cast<float>(frame) / SampleRate;
}

// A fixed-seed generator of its own, so the sounds never depend on the C
// library's rand().
class Noise
{
public:
    explicit Noise(uint32_t seed) : state(seed != 0 ? seed : 1u) {}

    float next()  // uniform in [-1, 1)
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    }

private:
    uint32_t state;
};

// Phase accumulator: pitch sweeps stay smooth because the frequency changes
// the step, never the phase itself.
class Oscillator
{
public:
    float sine(float frequency)
    {
        float value = std::sin(TwoPi * phase);
        advance(frequency);
        return value;
    }

    float square(float frequency)
    {
        float value = phase < 0.5f ? 1.0f : -1.0f;
        advance(frequency);
        return value;
    }

    float saw(float frequency)
    {
        float value = 2.0f * phase - 1.0f;
        advance(frequency);
        return value;
    }

    float triangle(float frequency)
    {
        float value = phase < 0.5f ? 4.0f * phase - 1.0f : 3.0f - 4.0f * phase;
        advance(frequency);
        return value;
    }

private:
    void advance(float frequency)
    {
        phase += frequency / SampleRate;
        phase -= std::floor(phase);
    }

    float phase = 0.0f;
};

// Second-order filter (the usual cookbook coefficients), direct form I.
class Biquad
{
public:
    static Biquad LowPass(float cutoff, float q) { return Biquad(Kind::Low, cutoff, q); }
    static Biquad HighPass(float cutoff, float q) { return Biquad(Kind::High, cutoff, q); }
    static Biquad BandPass(float centre, float q) { return Biquad(Kind::Band, centre, q); }

    // Moves the corner while keeping the filter's memory (for sweeps).
    void tune(float frequency)
    {
        float w = TwoPi * std::fmin(frequency, 0.45f * SampleRate) / SampleRate;
        float alpha = std::sin(w) / (2.0f * q);
        float c = std::cos(w);
        float a0 = 1.0f + alpha;
        switch (kind)
        {
        case Kind::Low:
            b0 = (1.0f - c) / 2.0f;
            b1 = 1.0f - c;
            b2 = b0;
            break;
        case Kind::High:
            b0 = (1.0f + c) / 2.0f;
            b1 = -(1.0f + c);
            b2 = b0;
            break;
        case Kind::Band:
            b0 = alpha;
            b1 = 0.0f;
            b2 = -alpha;
            break;
        }
        a1 = -2.0f * c;
        a2 = 1.0f - alpha;
        b0 /= a0;
        b1 /= a0;
        b2 /= a0;
        a1 /= a0;
        a2 /= a0;
    }

    float process(float x)
    {
        float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    enum class Kind
    {
        Low,
        High,
        Band,
    };

    Biquad(Kind kind, float frequency, float q) : kind(kind), q(q) { tune(frequency); }

    Kind kind;
    float q;
    float b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// Exponential fall with time constant tau (seconds).
float Decay(float t, float tau)
{
    return std::exp(-t / tau);
}

// Linear rise over `attack` seconds, then exponential fall.
float Hit(float t, float attack, float tau)
{
    if (t < attack)
    {
        return t / attack;
    }
    return Decay(t - attack, tau);
}

// Exponential glide from `from` to `to` Hz with time constant tau.
float Glide(float t, float from, float to, float tau)
{
    return to + (from - to) * std::exp(-t / tau);
}

// Short fade at the very end, so no file stops on a step.
void FadeTail(std::vector<float>& samples, float seconds)
{
    int n = Frames(seconds);
    int size = static_cast<int>(samples.size());
    for (int i = 0; i < n && i < size; ++i)
    {
        samples[size - 1 - i] *= static_cast<float>(i) / n;
    }
}

Sound Mono(std::vector<float> samples)
{
    FadeTail(samples, 0.005f);
    return {samples, samples};
}

Sound Stereo(std::vector<float> left, std::vector<float> right)
{
    FadeTail(left, 0.005f);
    FadeTail(right, 0.005f);
    return {left, right};
}

// Renders `seconds` of a mono voice given as a function of frame and time.
std::vector<float> Render(float seconds, const std::function<float(int, float)>& voice)
{
    std::vector<float> samples(Frames(seconds));
    for (int i = 0; i < static_cast<int>(samples.size()); ++i)
    {
        samples[i] = voice(i, Time(i));
    }
    return samples;
}

// Adds `part` into `into` from `offset` seconds on, growing `into` if needed.
void MixAt(std::vector<float>& into, const std::vector<float>& part, float offset, float gain)
{
    size_t start = static_cast<size_t>(Frames(offset));
    if (into.size() < start + part.size())
    {
        into.resize(start + part.size(), 0.0f);
    }
    for (size_t i = 0; i < part.size(); ++i)
    {
        into[start + i] += gain * part[i];
    }
}

// Scales both channels together so the louder peak sits at `peakDb` dBFS.
void Normalise(Sound& sound, float peakDb)
{
    float peak = 0.0f;
    for (float v : sound.left)
    {
        peak = std::fmax(peak, std::fabs(v));
    }
    for (float v : sound.right)
    {
        peak = std::fmax(peak, std::fabs(v));
    }
    if (peak <= 0.0f)
    {
        return;
    }
    float gain = std::pow(10.0f, peakDb / 20.0f) / peak;
    for (float& v : sound.left)
    {
        v *= gain;
    }
    for (float& v : sound.right)
    {
        v *= gain;
    }
}

// Equal-tempered pitch of a MIDI-style note number (69 = 440 Hz).
float Note(int number)
{
    return 440.0f * std::pow(2.0f, (number - 69) / 12.0f);
}

// A soft bell: a sine with a quieter octave and twelfth, fading out.
std::vector<float> Bell(float frequency, float seconds, float tau)
{
    Oscillator a, b, c;
    return Render(seconds, [&](int, float t) {
        float body = a.sine(frequency) + 0.35f * b.sine(2.0f * frequency) +
                     0.12f * c.sine(3.0f * frequency);
        return body * Hit(t, 0.003f, tau);
    });
}

// Metallic cluster: six detuned squares through a high band, the classic
// recipe for cymbals and bells that no sine can give.
std::vector<float> Metal(float seconds, float base, float highPass, float tau, float attack)
{
    static constexpr float ratios[6] = {1.0f, 1.342f, 1.2312f, 1.6532f, 1.9523f, 2.1523f};
    Oscillator osc[6];
    Biquad band = Biquad::BandPass(highPass * 1.4f, 0.9f);
    Biquad high = Biquad::HighPass(highPass, 0.7f);
    return Render(seconds, [&](int, float t) {
        float sum = 0.0f;
        for (int k = 0; k < 6; ++k)
        {
            sum += osc[k].square(base * ratios[k]);
        }
        return high.process(band.process(sum / 6.0f)) * Hit(t, attack, tau);
    });
}

// Filtered noise burst.
std::vector<float> NoiseBurst(uint32_t seed, float seconds, Biquad filter, float attack,
                              float tau)
{
    Noise noise(seed);
    return Render(seconds, [&](int, float t) {
        return filter.process(noise.next()) * Hit(t, attack, tau);
    });
}

// ---------------------------------------------------------------------------
// The drum kit: drum0..drum3 are the backbone (the music's low pick plays
// them most), the rest add colour.
// ---------------------------------------------------------------------------

Sound Kick()
{
    Oscillator body;
    Noise click(11);
    Biquad clickFilter = Biquad::HighPass(1500.0f, 0.7f);
    return Mono(Render(0.45f, [&](int, float t) {
        float pitch = Glide(t, 160.0f, 48.0f, 0.035f);
        float tone = body.sine(pitch) * Hit(t, 0.001f, 0.13f);
        float tick = clickFilter.process(click.next()) * Decay(t, 0.004f);
        return std::tanh(1.6f * tone) + 0.35f * tick;
    }));
}

Sound Snare()
{
    Oscillator head, overtone;
    Noise wires(21);
    Biquad wireFilter = Biquad::BandPass(4200.0f, 0.6f);
    return Mono(Render(0.3f, [&](int, float t) {
        float tone = (head.sine(Glide(t, 230.0f, 180.0f, 0.02f)) +
                      0.5f * overtone.sine(Glide(t, 420.0f, 330.0f, 0.02f))) *
                     Decay(t, 0.045f);
        float rattle = wireFilter.process(wires.next()) * Hit(t, 0.001f, 0.075f);
        return 0.6f * tone + 1.3f * rattle;
    }));
}

Sound ClosedHat()
{
    std::vector<float> metal = Metal(0.09f, 320.0f, 7000.0f, 0.018f, 0.0005f);
    std::vector<float> hiss = NoiseBurst(31, 0.09f, Biquad::HighPass(8000.0f, 0.7f), 0.0005f,
                                         0.015f);
    MixAt(metal, hiss, 0.0f, 0.5f);
    return Mono(metal);
}

Sound OpenHat()
{
    std::vector<float> left = Metal(0.5f, 320.0f, 6500.0f, 0.14f, 0.001f);
    std::vector<float> right = left;
    MixAt(left, NoiseBurst(41, 0.5f, Biquad::HighPass(7500.0f, 0.7f), 0.001f, 0.12f), 0.0f,
          0.45f);
    MixAt(right, NoiseBurst(42, 0.5f, Biquad::HighPass(7500.0f, 0.7f), 0.001f, 0.12f), 0.0f,
          0.45f);
    return Stereo(left, right);
}

Sound Tom(float high, float low, float seconds, uint32_t seed)
{
    Oscillator body;
    Noise skin(seed);
    Biquad skinFilter = Biquad::BandPass(high * 6.0f, 1.0f);
    return Mono(Render(seconds, [&](int, float t) {
        float tone = body.sine(Glide(t, high, low, 0.06f)) * Hit(t, 0.001f, seconds / 3.5f);
        float attack = skinFilter.process(skin.next()) * Decay(t, 0.012f);
        return std::tanh(1.3f * tone) + 0.3f * attack;
    }));
}

Sound Clap()
{
    // Several hands a few milliseconds apart, then a short room tail.
    Noise noise(51);
    Biquad band = Biquad::BandPass(1300.0f, 1.4f);
    constexpr float hands[4] = {0.0f, 0.011f, 0.021f, 0.034f};
    return Mono(Render(0.32f, [&](int, float t) {
        float level = 0.0f;
        for (float start : hands)
        {
            if (t >= start)
            {
                level = std::fmax(level, Decay(t - start, 0.008f));
            }
        }
        if (t >= hands[3])
        {
            level = std::fmax(level, 0.55f * Decay(t - hands[3], 0.07f));
        }
        return band.process(noise.next()) * level;
    }));
}

Sound Rim()
{
    Oscillator a, b;
    Noise noise(61);
    Biquad band = Biquad::BandPass(2500.0f, 2.0f);
    return Mono(Render(0.09f, [&](int, float t) {
        float tone = (a.sine(830.0f) + 0.6f * b.triangle(1690.0f)) * Decay(t, 0.011f);
        return tone + 0.4f * band.process(noise.next()) * Decay(t, 0.004f);
    }));
}

Sound Shaker()
{
    Noise noise(71);
    Biquad high = Biquad::HighPass(5500.0f, 0.8f);
    return Mono(Render(0.16f, [&](int, float t) {
        float level = t < 0.035f ? t / 0.035f : Decay(t - 0.035f, 0.03f);
        return high.process(noise.next()) * level;
    }));
}

Sound Cowbell()
{
    Oscillator a, b;
    Biquad band = Biquad::BandPass(800.0f, 1.5f);
    return Mono(Render(0.3f, [&](int, float t) {
        float sum = a.square(562.0f) + b.square(845.0f);
        return band.process(sum) * Hit(t, 0.001f, t < 0.02f ? 0.03f : 0.08f);
    }));
}

Sound Crash()
{
    std::vector<float> left = Metal(1.2f, 280.0f, 4500.0f, 0.38f, 0.002f);
    std::vector<float> right = Metal(1.2f, 287.0f, 4500.0f, 0.38f, 0.002f);
    MixAt(left, NoiseBurst(81, 1.2f, Biquad::HighPass(5000.0f, 0.7f), 0.002f, 0.3f), 0.0f,
          0.6f);
    MixAt(right, NoiseBurst(82, 1.2f, Biquad::HighPass(5000.0f, 0.7f), 0.002f, 0.3f), 0.0f,
          0.6f);
    return Stereo(left, right);
}

Sound Ride()
{
    std::vector<float> ping = Metal(0.8f, 410.0f, 5000.0f, 0.28f, 0.001f);
    MixAt(ping, Bell(3150.0f, 0.8f, 0.2f), 0.0f, 0.25f);
    return Mono(ping);
}

Sound DeepKick()
{
    // A long, round low boom for the bigger fills.
    Oscillator body;
    return Mono(Render(0.8f, [&](int, float t) {
        return std::tanh(1.4f * body.sine(Glide(t, 110.0f, 42.0f, 0.06f)) *
                         Hit(t, 0.002f, 0.26f));
    }));
}

Sound WoodBlock()
{
    Oscillator a, b;
    return Mono(Render(0.12f, [&](int, float t) {
        return (a.sine(1050.0f) + 0.4f * b.sine(2630.0f)) * Hit(t, 0.0005f, 0.022f);
    }));
}

Sound Tambourine()
{
    // Jingles: metal plus shaken noise, in three quick bursts.
    std::vector<float> jingle = Metal(0.35f, 1050.0f, 6000.0f, 0.06f, 0.001f);
    std::vector<float> second = Metal(0.3f, 1060.0f, 6000.0f, 0.05f, 0.001f);
    MixAt(jingle, second, 0.045f, 0.6f);
    MixAt(jingle, NoiseBurst(91, 0.3f, Biquad::HighPass(7000.0f, 0.7f), 0.002f, 0.05f), 0.0f,
          0.5f);
    return Mono(jingle);
}

// ---------------------------------------------------------------------------
// Effects
// ---------------------------------------------------------------------------

Sound TeleFail()
{
    // A warp that winds up, stutters and collapses into a falling buzz.
    Oscillator carrier, wobble;
    Biquad low = Biquad::LowPass(2500.0f, 0.8f);
    return Mono(Render(0.7f, [&](int, float t) {
        float pitch;
        if (t < 0.25f)
        {
            pitch = 300.0f + 1400.0f * t;
        }
        else
        {
            pitch = 650.0f * std::exp(-(t - 0.25f) / 0.12f) + 70.0f;
        }
        float gate = (t > 0.2f && t < 0.32f && std::fmod(t, 0.03f) < 0.012f) ? 0.2f : 1.0f;
        float tone = carrier.saw(pitch * (1.0f + 0.08f * wobble.sine(23.0f)));
        return low.process(tone) * gate * Hit(t, 0.01f, 0.3f);
    }));
}

Sound WarpSwirl()
{
    // Rising swirl with a fast vibrato, slightly different on each side.
    Oscillator l, r, lfo, shimmerL, shimmerR;
    std::vector<float> left(Frames(1.0f)), right(Frames(1.0f));
    for (int i = 0; i < static_cast<int>(left.size()); ++i)
    {
        float t = Time(i);
        float pitch = 200.0f * std::pow(8.0f, t);
        float vibrato = 1.0f + 0.06f * lfo.sine(9.0f + 14.0f * t);
        float level = std::sin(Pi * t) * std::sin(Pi * t);
        left[i] = level * (l.sine(pitch * vibrato) + 0.3f * shimmerL.sine(2.01f * pitch));
        right[i] = level * (r.sine(pitch * vibrato * 1.007f) + 0.3f * shimmerR.sine(1.99f * pitch));
    }
    return Stereo(left, right);
}

Sound Start()
{
    // The garden opens: a bright rising major arpeggio with a high sparkle.
    constexpr int notes[6] = {72, 76, 79, 84, 88, 91};  // C5 E5 G5 C6 E6 G6
    std::vector<float> left, right;
    for (int k = 0; k < 6; ++k)
    {
        float when = 0.06f * k;
        std::vector<float> tone = Bell(Note(notes[k]), 0.9f - when, 0.22f + 0.03f * k);
        // Alternate the notes slightly between the sides for width.
        MixAt(left, tone, when, k % 2 == 0 ? 1.0f : 0.75f);
        MixAt(right, tone, when, k % 2 == 0 ? 0.75f : 1.0f);
    }
    std::vector<float> sparkle = NoiseBurst(101, 0.5f, Biquad::HighPass(9000.0f, 0.7f), 0.15f,
                                            0.1f);
    MixAt(left, sparkle, 0.3f, 0.3f);
    MixAt(right, sparkle, 0.3f, 0.3f);
    return Stereo(left, right);
}

Sound Die()
{
    // A square sinking by two octaves with a sad vibrato.
    Oscillator square, vibrato;
    Biquad low = Biquad::LowPass(1800.0f, 0.7f);
    return Mono(Render(0.9f, [&](int, float t) {
        float pitch = 620.0f * std::pow(0.25f, t / 0.9f) * (1.0f + 0.03f * vibrato.sine(7.0f));
        return low.process(square.square(pitch)) * Hit(t, 0.005f, 0.45f);
    }));
}

Sound Respawn()
{
    // Quick rising sparkle of sines, ending in a held note.
    constexpr int notes[5] = {67, 71, 74, 79, 83};
    std::vector<float> out;
    for (int k = 0; k < 5; ++k)
    {
        MixAt(out, Bell(Note(notes[k]), k == 4 ? 0.5f : 0.16f, k == 4 ? 0.16f : 0.05f), 0.05f * k,
              1.0f);
    }
    return Mono(out);
}

Sound Win()
{
    // A short fanfare: three quick notes, then a held chord.
    auto brass = [](float frequency, float seconds) {
        Oscillator a, b;
        Biquad low = Biquad::LowPass(2600.0f, 0.9f);
        return Render(seconds, [&, frequency, seconds](int, float t) {
            float release = t > seconds - 0.08f ? (seconds - t) / 0.08f : 1.0f;
            float tone = a.saw(frequency) + 0.5f * b.square(frequency * 1.003f);
            return low.process(tone) * std::fmin(t / 0.01f, 1.0f) * release * 0.5f;
        });
    };
    std::vector<float> out;
    MixAt(out, brass(Note(67), 0.11f), 0.0f, 1.0f);   // G4
    MixAt(out, brass(Note(67), 0.11f), 0.13f, 1.0f);  // G4
    MixAt(out, brass(Note(67), 0.11f), 0.26f, 1.0f);  // G4
    for (int note : {72, 76, 79})                     // C major chord
    {
        MixAt(out, brass(Note(note), 0.7f), 0.4f, 0.7f);
    }
    return Mono(out);
}

Sound Refusal()
{
    // "Not there": a dull low buzz over a soft thump, short and unmusical.
    Oscillator buzz, thump;
    Biquad low = Biquad::LowPass(500.0f, 0.7f);
    return Mono(Render(0.3f, [&](int, float t) {
        float tone = low.process(buzz.square(92.0f)) * (t < 0.22f ? 1.0f : Decay(t - 0.22f, 0.02f));
        float body = thump.sine(Glide(t, 120.0f, 60.0f, 0.03f)) * Decay(t, 0.06f);
        return (0.7f * tone + body) * std::fmin(t / 0.004f, 1.0f);
    }));
}

Sound PlantThud()
{
    // A tile set into soil: a soft low thud with a little crumble of earth.
    Oscillator body;
    std::vector<float> out = Render(0.3f, [&](int, float t) {
        return body.sine(Glide(t, 140.0f, 72.0f, 0.03f)) * Hit(t, 0.002f, 0.06f);
    });
    MixAt(out, NoiseBurst(111, 0.25f, Biquad::LowPass(900.0f, 0.7f), 0.002f, 0.04f), 0.0f, 0.9f);
    MixAt(out, NoiseBurst(112, 0.12f, Biquad::BandPass(2200.0f, 1.2f), 0.002f, 0.02f), 0.03f,
          0.25f);
    return Mono(out);
}

Sound Collect()
{
    // Two quick bright notes, the second a fourth higher.
    Oscillator tone;
    return Mono(Render(0.3f, [&](int, float t) {
        float pitch = t < 0.07f ? Note(83) : Note(88);
        float level = t < 0.07f ? 1.0f : Decay(t - 0.07f, 0.08f);
        return (tone.square(pitch) * 0.5f) * level;
    }));
}

Sound Zap()
{
    // Electric crack: a saw diving from 2 kHz with crackling noise.
    Oscillator saw;
    Noise crackle(121);
    Biquad band = Biquad::BandPass(3000.0f, 0.8f);
    return Mono(Render(0.32f, [&](int, float t) {
        float pitch = Glide(t, 2200.0f, 120.0f, 0.06f);
        float spark = crackle.next() > 0.6f ? band.process(crackle.next()) : band.process(0.0f);
        return (saw.saw(pitch) * 0.6f + 1.5f * spark) * Hit(t, 0.001f, 0.08f);
    }));
}

Sound Stairs()
{
    // Four footfalls going down, each a little lower.
    std::vector<float> out;
    for (int k = 0; k < 4; ++k)
    {
        Oscillator body;
        float pitch = 190.0f - 25.0f * k;
        std::vector<float> step = Render(0.12f, [&](int, float t) {
            return body.sine(Glide(t, pitch * 1.5f, pitch, 0.01f)) * Hit(t, 0.001f, 0.025f);
        });
        MixAt(step, NoiseBurst(131 + k, 0.1f, Biquad::BandPass(1200.0f - 150.0f * k, 1.0f), 0.001f,
                                0.015f),
              0.0f, 0.7f);
        MixAt(out, step, 0.17f * k, 1.0f);
    }
    return Mono(out);
}

Sound Unlock()
{
    // Key turns (two small clicks), the latch gives, and a little chime.
    std::vector<float> out;
    std::vector<float> click = NoiseBurst(141, 0.03f, Biquad::BandPass(3500.0f, 3.0f), 0.0005f,
                                          0.004f);
    MixAt(out, click, 0.0f, 1.0f);
    MixAt(out, click, 0.08f, 0.8f);
    Oscillator latch;
    MixAt(out, Render(0.06f, [&](int, float t) { return latch.square(240.0f) * Decay(t, 0.01f); }),
          0.16f, 0.5f);
    MixAt(out, Bell(Note(84), 0.4f, 0.12f), 0.2f, 0.5f);
    MixAt(out, Bell(Note(91), 0.35f, 0.1f), 0.26f, 0.4f);
    return Mono(out);
}

Sound Bomb()
{
    // A low explosion: a deep boom and a rumble that darkens as it fades.
    Oscillator boom;
    Noise noise(151);
    Biquad low = Biquad::LowPass(3000.0f, 0.7f);
    return Mono(Render(1.0f, [&](int, float t) {
        low.tune(Glide(t, 3000.0f, 180.0f, 0.12f));
        float rumble = low.process(noise.next()) * Hit(t, 0.002f, 0.28f);
        float body = boom.sine(Glide(t, 90.0f, 35.0f, 0.1f)) * Hit(t, 0.002f, 0.2f);
        return std::tanh(1.5f * rumble + body);
    }));
}

Sound Switch()
{
    // Click-clack of a lever.
    std::vector<float> out = NoiseBurst(161, 0.04f, Biquad::BandPass(2800.0f, 2.5f), 0.0003f,
                                        0.005f);
    MixAt(out, NoiseBurst(162, 0.05f, Biquad::BandPass(1700.0f, 2.5f), 0.0003f, 0.007f), 0.05f,
          0.9f);
    Oscillator body;
    MixAt(out, Render(0.05f, [&](int, float t) { return body.sine(420.0f) * Decay(t, 0.008f); }),
          0.05f, 0.4f);
    return Mono(out);
}

// A voiced syllable: a buzz through two vowel resonances.
std::vector<float> Syllable(float pitch, float formant1, float formant2, float seconds)
{
    Oscillator glottis;
    Biquad f1 = Biquad::BandPass(formant1, 5.0f);
    Biquad f2 = Biquad::BandPass(formant2, 6.0f);
    return Render(seconds, [&, seconds](int, float t) {
        float source = glottis.saw(pitch * (1.0f + 0.04f * t / seconds));
        float envelope = std::sin(Pi * t / seconds);
        return (f1.process(source) + 0.6f * f2.process(source)) * envelope;
    });
}

Sound Talk()
{
    // Three quick babbled syllables.
    std::vector<float> out;
    MixAt(out, Syllable(210.0f, 700.0f, 1200.0f, 0.08f), 0.0f, 1.0f);
    MixAt(out, Syllable(240.0f, 400.0f, 2000.0f, 0.07f), 0.1f, 1.0f);
    MixAt(out, Syllable(190.0f, 600.0f, 1000.0f, 0.1f), 0.19f, 1.0f);
    return Mono(out);
}

Sound Meow()
{
    // A small meow: pitch rises then falls while the vowel opens "i" to "ao".
    Oscillator glottis, vibrato;
    Biquad f1 = Biquad::BandPass(500.0f, 4.0f);
    Biquad f2 = Biquad::BandPass(2200.0f, 5.0f);
    constexpr float seconds = 0.38f;
    return Mono(Render(seconds, [&](int, float t) {
        float u = t / seconds;
        float pitch = 520.0f + 330.0f * std::sin(Pi * std::fmin(u * 1.4f, 1.0f)) - 80.0f * u;
        pitch *= 1.0f + 0.015f * vibrato.sine(6.0f);
        f1.tune(350.0f + 500.0f * std::sin(Pi * u * 0.8f));
        f2.tune(2300.0f - 1300.0f * u);
        float source = glottis.saw(pitch);
        float envelope = std::fmin(t / 0.03f, 1.0f) * (u > 0.7f ? (1.0f - u) / 0.3f : 1.0f);
        return (f1.process(source) + 0.5f * f2.process(source)) * envelope;
    }));
}

Sound WallBump()
{
    // Walking into something solid: a short dull thud.
    Oscillator body;
    std::vector<float> out = Render(0.16f, [&](int, float t) {
        return body.sine(Glide(t, 110.0f, 70.0f, 0.02f)) * Hit(t, 0.001f, 0.035f);
    });
    MixAt(out, NoiseBurst(171, 0.08f, Biquad::LowPass(700.0f, 0.7f), 0.001f, 0.012f), 0.0f,
          0.8f);
    return Mono(out);
}

Sound Step()
{
    // One footstep on soft ground; heard a lot, so short and quiet.
    std::vector<float> out = NoiseBurst(181, 0.07f, Biquad::LowPass(900.0f, 0.8f), 0.002f,
                                        0.012f);
    Oscillator body;
    MixAt(out, Render(0.05f, [&](int, float t) {
              return body.sine(Glide(t, 160.0f, 100.0f, 0.01f)) * Decay(t, 0.012f);
          }),
          0.0f, 0.5f);
    return Mono(out);
}

// ---------------------------------------------------------------------------
// The table: SoundId order, with each sound's peak level
// ---------------------------------------------------------------------------

struct SampleRecipe
{
    const char* name;
    Sound (*make)();
    float peakDb;  // dBFS
};

constexpr float DrumPeak = -1.0f;    // drums play at 0.04..0.08 and must still be heard
constexpr float EffectPeak = -8.0f;  // effects play at 0.1..0.4, boosted up to 1.6x

const SampleRecipe Recipes[] = {
    {"drum0", Kick, DrumPeak},
    {"drum1", Snare, DrumPeak},
    {"drum2", ClosedHat, -3.0f},
    {"drum3", OpenHat, -3.0f},
    {"drum4", [] { return Tom(120.0f, 88.0f, 0.45f, 401); }, DrumPeak},
    {"drum5", Clap, DrumPeak},
    {"drum6", Rim, -2.0f},
    {"drum7", Shaker, -4.0f},
    {"drum8", [] { return Tom(175.0f, 130.0f, 0.38f, 402); }, DrumPeak},
    {"drum9", [] { return Tom(250.0f, 190.0f, 0.32f, 403); }, DrumPeak},
    {"drumA", Cowbell, -3.0f},
    {"drumB", Crash, -3.0f},
    {"drumC", Ride, -4.0f},
    {"drumD", DeepKick, DrumPeak},
    {"drumE", WoodBlock, -3.0f},
    {"drumF", Tambourine, -4.0f},
    {"telefail", TeleFail, EffectPeak},
    {"lh_warp", WarpSwirl, EffectPeak},
    {"start", Start, -7.0f},
    {"die", Die, EffectPeak},
    {"respawn", Respawn, EffectPeak},
    {"win", Win, EffectPeak},
    {"bombexp", Refusal, -7.0f},
    {"enemy_death", PlantThud, -6.0f},
    {"collect", Collect, -9.0f},
    {"zap", Zap, -9.0f},
    {"stairs", Stairs, EffectPeak},
    {"unlock", Unlock, EffectPeak},
    {"bomb", Bomb, -6.0f},
    {"switch", Switch, -9.0f},
    {"talk", Talk, -9.0f},
    {"cat", Meow, -11.0f},
    {"wall", WallBump, EffectPeak},
    {"step", Step, -12.0f},
};
static_assert(sizeof(Recipes) / sizeof(Recipes[0]) == 34, "one recipe per sample name");

// ---------------------------------------------------------------------------
// Encoding
// ---------------------------------------------------------------------------

bool WritePage(std::FILE* out, const ogg_page& page)
{
    return std::fwrite(page.header, 1, page.header_len, out) == static_cast<size_t>(page.header_len) &&
           std::fwrite(page.body, 1, page.body_len, out) == static_cast<size_t>(page.body_len);
}

// Encodes `channels` planar streams of equal length (floats in [-1, 1]) at
// 44100 Hz. The stream serial number is fixed so the output is reproducible.
bool EncodeOgg(const std::string& path, const std::vector<std::vector<float>>& planes)
{
    const int channels = static_cast<int>(planes.size());
    const int frames = static_cast<int>(planes[0].size());

    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
    {
        return false;
    }

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, SampleRate, VorbisQuality) != 0)
    {
        vorbis_info_clear(&info);
        std::fclose(out);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x6d6c6e74);

    bool ok = true;
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
    {
        ok = ok && WritePage(out, page);
    }

    // Feed in chunks, then signal the end with an empty write.
    constexpr int Chunk = 4096;
    bool ended = false;
    for (int done = 0; !ended;)
    {
        int count = std::min(Chunk, frames - done);
        if (count > 0)
        {
            float** buffer = vorbis_analysis_buffer(&dsp, count);
            for (int c = 0; c < channels; ++c)
            {
                std::memcpy(buffer[c], planes[c].data() + done, count * sizeof(float));
            }
            vorbis_analysis_wrote(&dsp, count);
            done += count;
        }
        else
        {
            vorbis_analysis_wrote(&dsp, 0);
            ended = true;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1)
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                {
                    ok = ok && WritePage(out, page);
                }
            }
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0)
    {
        ok = ok && WritePage(out, page);
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return std::fclose(out) == 0 && ok;
}

// Clamps to the encoder's range; normalised sounds never reach it.
std::vector<float> Clamped(const std::vector<float>& samples)
{
    std::vector<float> out(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
    {
        out[i] = std::fmax(-1.0f, std::fmin(1.0f, samples[i]));
    }
    return out;
}

int MakeGameSamples(const std::string& directory)
{
    for (const SampleRecipe& recipe : Recipes)
    {
        Sound sound = recipe.make();
        Normalise(sound, recipe.peakDb);
        std::string path = directory + "/" + recipe.name + ".ogg";
        if (!EncodeOgg(path, {Clamped(sound.left), Clamped(sound.right)}))
        {
            std::fprintf(stderr, "make-samples: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

// Files with unusual layouts for the loader's tests: one channel, three
// channels (each side a different tone, the third loud noise that must never
// be heard), and a valid stream that holds no audio at all.
int MakeTestFiles(const std::string& directory)
{
    Oscillator low, high;
    Noise noise(7);
    int frames = Frames(0.1f);
    std::vector<float> left(frames), right(frames), third(frames);
    for (int i = 0; i < frames; ++i)
    {
        left[i] = 0.5f * low.sine(440.0f);
        right[i] = 0.25f * high.sine(880.0f);
        third[i] = 0.9f * noise.next();
    }
    bool ok = EncodeOgg(directory + "/mono.ogg", {left}) &&
              EncodeOgg(directory + "/three_channels.ogg", {left, right, third}) &&
              EncodeOgg(directory + "/no_audio.ogg", {std::vector<float>()});
    if (!ok)
    {
        std::fprintf(stderr, "make-samples: cannot write test files to %s\n", directory.c_str());
        return 1;
    }
    return 0;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--test-files") == 0)
    {
        return MakeTestFiles(argv[2]);
    }
    if (argc > 2 || (argc == 2 && argv[1][0] == '-'))
    {
        std::fprintf(stderr, "usage: make-samples [DIR] | make-samples --test-files DIR\n");
        return 2;
    }
    return MakeGameSamples(argc == 2 ? argv[1] : "dat/samples");
}
