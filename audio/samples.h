// The sample bank and the sound-effect operations.
//
// The bank is written by the loader thread before SamplesLoaded becomes true
// and only read (by the mixer, for voices started afterwards) from then on.
// The play operations run on the game thread.
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
extern int32_t nextSfxVoice;

// Folder the sample files are read from, without a trailing slash. Defaults to
// "dat/samples" (relative to the working directory); the game points it into
// the data folder it found, the audio export tool and the tests elsewhere,
// before loading.
extern const char* SampleDirectory;

// Body of the loader thread: decodes the 34 samples in SoundId order, stopping
// between two files when StopLoading is set, and sets SamplesLoaded at the end.
void SampleLoaderThread();

// Decodes "<SampleDirectory>/<name>.ogg" into stereo frames. Returns none (and
// length 0) for a file that is missing, empty or not Ogg Vorbis.
StereoSample* LoadSample(const char* name, uint32_t* length);

// Decodes the whole bank on the calling thread, then sets SamplesLoaded: the
// loader thread's work for callers that have no thread (tools and tests).
void LoadSampleBank();

// Frees every frame array; each sample is silent (length 0) afterwards.
void FreeSamples();

void PlaySound(int32_t kind, float volume, float pan);
void PlaySoundEx(int32_t kind, float frequency, float volume, float echoSend, float pan);
