// The sample bank: the 34 decoded samples, their loader thread and its flags.
//
// SampleLoaderThread runs on the loader thread (once, at start-up), started
// and stopped from the main thread; the sound effects, the music and the
// mixer only read the bank, and only once SamplesLoaded became true.
#include "audio/samples.h"

#include <algorithm>
#include <cstdio>
#include <chrono>
#include <new>
#include <thread>
#include <vector>

#include "audio/ogg_check.h"
#include "audio/threads.h"
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
const char* SampleDirectory = "dat/samples";

namespace
{
// Set by StartSampleLoader (main thread) so shutdown knows whether there is a
// loader to wait for: tools and tests run the audio state without one.
bool loaderStarted = false;
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
// The loader thread's start and stop (main thread)
// ---------------------------------------------------------------------------

void StartSampleLoader()
{
    StartWorkerThread(SampleLoaderThread);
    loaderStarted = true;
}

void StopSampleLoader()
{
    if (!loaderStarted)
    {
        return;
    }
    // Ask the loader to stop between two files and wait until it says it is
    // done; it sets SamplesLoaded on every way out. Polling keeps this side
    // from ever holding the lock while the loader needs it.
    for (;;)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (TryEnterLock(LoaderLock))
        {
            StopLoading = true;
            bool done = SamplesLoaded;
            LeaveLock(LoaderLock);
            if (done)
            {
                break;
            }
        }
    }
    JoinWorkerThread();
    loaderStarted = false;
}
