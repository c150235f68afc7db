// The sample bank and its loader thread.
//
// The bank is written by the loader thread before SamplesLoaded becomes true
// and only read (by the mixer, for voices started afterwards) from then on.
#pragma once

#include <atomic>
#include <cstdint>

#include "audio/stereo.h"
#include "audio/voice_kind.h"

// SoundId: a sample's index in SampleNames and SampleBank, in table order.
// The first sixteen are the music's drum kit; the game plays start, bombexp,
// enemy_death, cat and step.
enum SoundId : int32_t
{
    SoundDrum0 = 0,  // drum0..drumF: 0..15
    SoundTelefail = 16,
    SoundLhWarp,
    SoundStart,
    SoundDie,
    SoundRespawn,
    SoundWin,
    SoundBombExp,
    SoundEnemyDeath,
    SoundCollect,
    SoundZap,
    SoundStairs,
    SoundUnlock,
    SoundBomb,
    SoundSwitch,
    SoundTalk,
    SoundCat,
    SoundWall,
    SoundStep,
    SoundIdCount,
};
constexpr int DrumCount = SoundTelefail - SoundDrum0;
static_assert(SoundStep == 33 && DrumCount == 16, "the names follow the sample table");

constexpr int SampleCount = SoundIdCount;
extern const char* const SampleNames[SampleCount];

// VoiceKind of the first sample past the bank: kinds from here on would read
// outside it, so every start operation drops them.
constexpr int32_t EndSampleKind = SampleKind(SampleCount);

struct SampleData
{
    StereoSample* frames;  // owned; none when the file failed to load
    uint32_t length;       // frames
};
extern SampleData SampleBank[SampleCount];

// Set once by the loader thread (under LoaderLock) and read without the lock by
// the play operations and the music: atomic so that read is well defined.
extern std::atomic<bool> SamplesLoaded;
extern bool StopLoading;  // guarded by LoaderLock

// Folder the sample files are read from, without a trailing slash. Defaults to
// "dat/samples" (relative to the working directory); the game points it into
// the data folder it found, the audio export tool and the tests elsewhere,
// before loading.
extern const char* SampleDirectory;

// What the bank may hold, so that a long file costs no more than this: one
// sample at most 30 s (1,323,000 frames, 5.3 MB; the rest of a longer file is
// cut off) and the whole bank at most 2^24 frames (64 MiB, 380 s; samples
// past it stay silent). The game's own samples are at most 1.2 s each and
// 20 s together.
constexpr uint32_t MaxSampleFrames = 30 * 44100;
constexpr uint32_t MaxBankFrames = 1u << 24;

// Body of the loader thread: decodes the 34 samples in SoundId order, within
// the bounds above, and sets SamplesLoaded at the end. It looks at StopLoading
// before each file and every 4096 decoded frames, and stops at once when it
// is set: the sample being decoded stays silent.
void SampleLoaderThread();

// The loader's work in steps, as the worker runs it: each call opens the next
// file or decodes one chunk of at most 4096 frames, and false comes back once
// SamplesLoaded is set (the bank is done, or StopLoading ended it).
// StartSampleLoader starts it from the first sample.
bool SampleLoaderStep();

// Decodes "<SampleDirectory>/<name>.ogg" into stereo frames, at most
// MaxSampleFrames. Returns none (and length 0) for a file that is missing,
// not a regular file, empty or not Ogg Vorbis.
StereoSample* LoadSample(const char* name, uint32_t* length);

// Decodes the whole bank on the calling thread, then sets SamplesLoaded: the
// loader thread's work for callers that have no thread (tools and tests).
void LoadSampleBank();

// Frees every frame array; each sample is silent (length 0) afterwards.
void FreeSamples();

// Starts the sample loader (the device layer does this after
// AudioStartupState); StopSampleLoader asks it to stop, waits for it and joins
// it, and does nothing when no loader was started.
void StartSampleLoader();
void StopSampleLoader();
