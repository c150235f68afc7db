// The sample bank and the sound-effect operations.
//
// Owns the 34 decoded samples, the loader flags and the sound-effect voice
// search. SampleLoaderThread runs on the loader thread (once, at start-up);
// PlaySound and PlaySoundEx run on the game thread; the mixer only reads the
// bank, and only for voices started after SamplesLoaded became true.
#include "audio/samples.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "audio/mixer.h"
#include "audio/ogg_check.h"
#include "audio/threads.h"
#include "audio/voices.h"
#include "gfx/file_io.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>  // Required for: stb_vorbis_open_memory(), stb_vorbis_get_samples_short_interleaved()

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

namespace
{
// Frames decoded between two looks at StopLoading: about 93 ms of sound,
// decoded in a millisecond or two.
constexpr int DecodeChunkFrames = 4096;

bool LoaderAskedToStop()
{
    EnterLock(LoaderLock);
    bool stop = StopLoading;
    LeaveLock(LoaderLock);
    return stop;
}

bool NeverStop()
{
    return false;
}

// LoadSample with at most `budget` frames kept (the rest of a longer file is
// cut off), giving up, with none, as soon as `stop` says so.
StereoSample* DecodeSample(const char* name, uint32_t budget, bool (*stop)(), uint32_t* length)
{
    *length = 0;

    char path[1024];
    int written = std::snprintf(path, sizeof(path), "%s/%s.ogg", SampleDirectory, name);
    if (written < 0 || written >= static_cast<int>(sizeof(path)))
    {
        return nullptr;  // a cut-off path would name some other file
    }

    // Only a regular file is read, so a FIFO under a sample's name cannot
    // block the loader (and with it shutdown). Damaged files are turned away
    // before the decoder sees them: it trusts the header counts and could
    // otherwise loop for a very long time.
    std::vector<uint8_t> file;
    if (budget == 0 || ReadRegularFile(path, MaxSampleFileBytes, file) != ReadStatus::Read ||
        !OggVorbisLooksSound(file.data(), file.size()))
    {
        return nullptr;
    }
    stb_vorbis* decoder = stb_vorbis_open_memory(file.data(), static_cast<int>(file.size()), nullptr, nullptr);
    if (decoder == nullptr)
    {
        return nullptr;
    }

    // Decoded with the file's own channel count, so every value is exactly
    // the decoder's: a mono file feeds both sides, and files with more
    // channels keep their first two.
    const int channels = stb_vorbis_get_info(decoder).channels;
    std::vector<short> chunk(static_cast<size_t>(DecodeChunkFrames) * channels);
    std::vector<StereoSample> decoded;
    bool stopped = false;
    while (decoded.size() < budget && !(stopped = stop()))
    {
        int got = stb_vorbis_get_samples_short_interleaved(decoder, channels, chunk.data(),
                                                           static_cast<int>(chunk.size()));
        if (got <= 0)
        {
            break;
        }
        got = std::min<int>(got, static_cast<int>(budget - decoded.size()));
        const short* in = chunk.data();
        for (int k = 0; k < got; ++k, in += channels)
        {
            decoded.push_back({in[0], channels >= 2 ? in[1] : in[0]});
        }
    }
    stb_vorbis_close(decoder);

    StereoSample* frames = nullptr;
    if (!stopped && !decoded.empty())
    {
        frames = new (std::nothrow) StereoSample[decoded.size()];
    }
    if (frames != nullptr)
    {
        std::copy(decoded.begin(), decoded.end(), frames);
        *length = static_cast<uint32_t>(decoded.size());
    }
    return frames;
}

// Decodes the bank in SoundId order within MaxBankFrames; false when `stop`
// ended it early.
bool DecodeBank(bool (*stop)())
{
    uint32_t used = 0;
    for (int id = 0; id < SampleCount; ++id)
    {
        // Shutdown may ask us to stop; it waits for SamplesLoaded, so that is
        // set on the way out even though the bank is incomplete.
        if (stop())
        {
            return false;
        }
        // No voice reads the bank before SamplesLoaded, so no lock is needed.
        SampleData& sample = SampleBank[id];
        uint32_t budget = std::min(MaxSampleFrames, MaxBankFrames - used);
        sample.frames = DecodeSample(SampleNames[id], budget, stop, &sample.length);
        used += sample.length;
    }
    return true;
}
}  // namespace

StereoSample* LoadSample(const char* name, uint32_t* length)
{
    return DecodeSample(name, MaxSampleFrames, NeverStop, length);
}

void SampleLoaderThread()
{
    // Each look at StopLoading takes LoaderLock; the last one, or the end of
    // the bank, sets SamplesLoaded under it.
    DecodeBank(LoaderAskedToStop);
    EnterLock(LoaderLock);
    SamplesLoaded = true;
    LeaveLock(LoaderLock);
}

void LoadSampleBank()
{
    DecodeBank(NeverStop);
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
