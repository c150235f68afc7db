// The sample bank and the sound-effect operations.
#pragma once

#include <atomic>
#include <cstdint>

#include "audio/stereo.h"

constexpr int SampleCount = 34;
extern const char* const SampleNames[SampleCount];

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

void SampleLoaderThread();
StereoSample* LoadSample(const char* name, uint32_t* length);
void FreeSamples();
void PlaySound(int32_t kind, float volume, float pan);
void PlaySoundEx(int32_t kind, float frequency, float volume, float echoSend, float pan);
