// The sample bank and the sound-effect operations.
//
// Owns the 34 decoded samples, the loader flags and the sound-effect voice
// search. SampleLoaderThread runs on the loader thread (once, at start-up);
// PlaySound and PlaySoundEx run on the game thread; the mixer only reads the
// bank, and only for voices started after SamplesLoaded became true.
#include "audio/samples.h"

#include <cstdio>
#include <cstdlib>  // Required for: free() of the decoder's buffer
#include <new>

#include "audio/mixer.h"
#include "audio/ogg_check.h"
#include "audio/threads.h"
#include "audio/voices.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>  // Required for: stb_vorbis_decode_filename()

// ---------------------------------------------------------------------------
// Global state
// ---------------------------------------------------------------------------

constexpr const char* const SampleNames[SampleCount] = {
    "drum0", "drum1", "drum2", "drum3", "drum4", "drum5", "drum6", "drum7",
    "drum8", "drum9", "drumA", "drumB", "drumC", "drumD", "drumE", "drumF",
    "telefail", "lh_warp", "start", "die", "respawn", "win", "bombexp", "enemy_death",
    "collect", "zap", "stairs", "unlock", "bomb", "switch", "talk", "cat",
    "wall", "step",
};
static_assert(sizeof(SampleNames) / sizeof(SampleNames[0]) == SampleCount,
              "one name per SoundId");

SampleData SampleBank[SampleCount];

std::atomic<bool> SamplesLoaded{false};
bool StopLoading = false;
int32_t nextSfxVoice = 0;
const char* SampleDirectory = "dat/samples";

namespace
{
// Envelope of every sound effect (frames). Sample kinds replace it by the
// sample's own length in InitVoice; only synthesised effects use it.
constexpr uint32_t SfxAttack = 500;
constexpr uint32_t SfxSustain = 5000;
constexpr uint32_t SfxRelease = 50000;

constexpr float PlaySoundEchoSend = 0.6f;

bool IsSampleKind(int32_t kind)
{
    return kind >= FirstSampleKind;
}
}  // namespace

// ---------------------------------------------------------------------------
// Loading (loader thread, or the caller of LoadSampleBank)
// ---------------------------------------------------------------------------

StereoSample* LoadSample(const char* name, uint32_t* length)
{
    *length = 0;

    char path[1024];
    int written = std::snprintf(path, sizeof(path), "%s/%s.ogg", SampleDirectory, name);
    if (written < 0 || written >= static_cast<int>(sizeof(path)))
    {
        return nullptr;  // a cut-off path would name some other file
    }

    // Damaged files are turned away before the decoder sees them: it trusts
    // the header counts and could otherwise loop for a very long time.
    if (!OggVorbisFileLooksSound(path))
    {
        return nullptr;
    }

    int channels = 0;
    short* decoded = nullptr;
    int frameCount = stb_vorbis_decode_filename(path, &channels, nullptr, &decoded);

    // The decoder hands back a buffer even for a stream without audio, so it
    // is freed on every way out, not only after a successful copy.
    StereoSample* frames = nullptr;
    if (frameCount >= 1 && channels >= 1 && decoded != nullptr)
    {
        frames = new (std::nothrow) StereoSample[frameCount];
    }
    if (frames != nullptr)
    {
        // The buffer holds frameCount x channels values. Use the channel count
        // the decoder reports rather than assuming stereo: a mono file feeds
        // both sides, and files with more channels keep their first two.
        const short* in = decoded;
        for (int k = 0; k < frameCount; ++k, in += channels)
        {
            int16_t left = in[0];
            int16_t right = channels >= 2 ? in[1] : in[0];
            frames[k] = {left, right};
        }
        *length = static_cast<uint32_t>(frameCount);
    }
    std::free(decoded);
    return frames;
}

void SampleLoaderThread()
{
    for (int id = 0; id < SampleCount; ++id)
    {
        // Shutdown may ask us to stop; it waits for SamplesLoaded, so that is
        // set on the way out even though the bank is incomplete.
        EnterLock(LoaderLock);
        if (StopLoading)
        {
            SamplesLoaded = true;
            LeaveLock(LoaderLock);
            return;
        }
        LeaveLock(LoaderLock);

        // No voice reads the bank before SamplesLoaded, so no lock is needed.
        SampleData& sample = SampleBank[id];
        sample.frames = LoadSample(SampleNames[id], &sample.length);
    }

    EnterLock(LoaderLock);
    SamplesLoaded = true;
    LeaveLock(LoaderLock);
}

void LoadSampleBank()
{
    for (int id = 0; id < SampleCount; ++id)
    {
        SampleData& sample = SampleBank[id];
        sample.frames = LoadSample(SampleNames[id], &sample.length);
    }
    SamplesLoaded = true;
}

void FreeSamples()
{
    for (SampleData& sample : SampleBank)
    {
        delete[] sample.frames;
        sample.frames = nullptr;
        sample.length = 0;
    }
}

// ---------------------------------------------------------------------------
// Sound effects (game thread)
// ---------------------------------------------------------------------------

void PlaySoundEx(int32_t kind, float frequency, float volume, float echoSend, float pan)
{
    if (IsSampleKind(kind) && !SamplesLoaded)
    {
        return;
    }
    // A kind past the bank would make the voice read a sample that does not
    // exist; such a request is dropped like any other refused sound.
    if (kind >= EndSampleKind)
    {
        return;
    }

    // Resume the search where the last one ended: that voice is now in use,
    // so the search moves on from it. All 64 busy: the sound is dropped.
    int found = -1;
    for (int tries = 0; tries < SfxVoiceCount; ++tries)
    {
        int index = (nextSfxVoice + tries) % SfxVoiceCount;
        if (!SfxVoiceInUse[index])
        {
            found = index;
            break;
        }
    }
    if (found < 0)
    {
        return;
    }
    nextSfxVoice = found;

    // The mixer does not touch this record until the exchange hands the index
    // over, and it reported the voice finished before SfxVoiceInUse cleared.
    InitVoice(Voices[found], kind, SfxAttack, SfxSustain, SfxRelease, 0, frequency, volume,
              echoSend, pan);
    SfxVoiceInUse[found] = true;
    QueueSfxVoice(found);
}

void PlaySound(int32_t kind, float volume, float pan)
{
    // Unlike PlaySoundEx this refuses synthesised kinds too until loading ends.
    if (!SamplesLoaded)
    {
        return;
    }
    if (volume > 1.0f)
    {
        volume = 1.0f;
    }
    PlaySoundEx(kind, 0.0f, volume, PlaySoundEchoSend, pan);
}
