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
#include "platform/threads.h"
#include "platform/file_io.h"

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

// One sample being decoded: the file stays in memory while the decoder reads
// it, and the frames gather in `decoded` until the sample is finished.
struct SampleDecoding
{
    std::vector<uint8_t> file;
    stb_vorbis* decoder = nullptr;
    int channels = 0;
    uint32_t budget = 0;
    std::vector<short> chunk;
    std::vector<StereoSample> decoded;
};

// Opens "<SampleDirectory>/<name>.ogg" for decoding at most `budget` frames.
// False (and nothing open) for a file that is missing, not a regular file,
// empty or not Ogg Vorbis.
bool OpenSample(const char* name, uint32_t budget, SampleDecoding& d)
{
    char path[1024];
    int written = std::snprintf(path, sizeof(path), "%s/%s.ogg", SampleDirectory, name);
    if (written < 0 || written >= static_cast<int>(sizeof(path)))
    {
        return false;  // a cut-off path would name some other file
    }

    // Only a regular file is read, so a FIFO under a sample's name cannot
    // block the loader (and with it shutdown). Damaged files are turned away
    // before the decoder sees them: it trusts the header counts and could
    // otherwise loop for a very long time.
    if (budget == 0 || ReadRegularFile(path, MaxSampleFileBytes, d.file) != ReadStatus::Read ||
        !OggVorbisLooksSound(d.file.data(), d.file.size()))
    {
        return false;
    }
    d.decoder = stb_vorbis_open_memory(d.file.data(), static_cast<int>(d.file.size()), nullptr, nullptr);
    if (d.decoder == nullptr)
    {
        return false;
    }

    // Decoded with the file's own channel count, so every value is exactly
    // the decoder's: a mono file feeds both sides, and files with more
    // channels keep their first two.
    d.channels = stb_vorbis_get_info(d.decoder).channels;
    d.budget = budget;
    d.chunk.resize(static_cast<size_t>(DecodeChunkFrames) * d.channels);
    d.decoded.clear();
    return true;
}

// Decodes the next chunk of an open sample; false once the sample is whole
// (the file ended or the budget is used up).
bool DecodeChunk(SampleDecoding& d)
{
    int got = stb_vorbis_get_samples_short_interleaved(d.decoder, d.channels, d.chunk.data(),
                                                       static_cast<int>(d.chunk.size()));
    if (got <= 0)
    {
        return false;
    }
    got = std::min<int>(got, static_cast<int>(d.budget - d.decoded.size()));
    const short* in = d.chunk.data();
    for (int k = 0; k < got; ++k, in += d.channels)
    {
        d.decoded.push_back({in[0], d.channels >= 2 ? in[1] : in[0]});
    }
    return d.decoded.size() < d.budget;
}

// Closes the decoder and hands out the frames (none when `stopped` or when
// nothing was decoded); the decoding is empty afterwards.
StereoSample* FinishSample(SampleDecoding& d, bool stopped, uint32_t* length)
{
    *length = 0;
    if (d.decoder != nullptr)
    {
        stb_vorbis_close(d.decoder);
        d.decoder = nullptr;
    }
    StereoSample* frames = nullptr;
    if (!stopped && !d.decoded.empty())
    {
        frames = new (std::nothrow) StereoSample[d.decoded.size()];
    }
    if (frames != nullptr)
    {
        std::copy(d.decoded.begin(), d.decoded.end(), frames);
        *length = static_cast<uint32_t>(d.decoded.size());
    }
    std::vector<uint8_t>().swap(d.file);
    std::vector<StereoSample>().swap(d.decoded);
    return frames;
}

// The loader's progress through the bank, one step at a time: each step opens
// a file or decodes one chunk, so that a platform without threads can run the
// loader in short slices between the frames of the main loop.
struct BankLoading
{
    int id = 0;          // the sample being decoded, or SampleCount when done
    uint32_t used = 0;   // frames of the bank taken so far
    bool open = false;   // `sample` holds an open file of sample `id`
    SampleDecoding sample;
};

// One step of decoding the bank in SoundId order within MaxBankFrames. `stop`
// is asked before each file and each chunk; false once the bank is done or
// `stop` ended it (the sample being decoded then stays silent).
bool DecodeBankStep(BankLoading& loading, bool (*stop)())
{
    if (loading.id >= SampleCount)
    {
        return false;
    }
    // No voice reads the bank before SamplesLoaded, so no lock is needed.
    SampleData& target = SampleBank[loading.id];
    if (stop())
    {
        if (loading.open)
        {
            target.frames = FinishSample(loading.sample, true, &target.length);
            loading.open = false;
        }
        loading.id = SampleCount;
        return false;
    }
    if (!loading.open)
    {
        const uint32_t budget = std::min(MaxSampleFrames, MaxBankFrames - loading.used);
        loading.open = OpenSample(SampleNames[loading.id], budget, loading.sample);
        if (loading.open)
        {
            return true;
        }
    }
    else if (DecodeChunk(loading.sample))
    {
        return true;
    }
    target.frames = FinishSample(loading.sample, false, &target.length);
    loading.open = false;
    loading.used += target.length;
    loading.id++;
    return loading.id < SampleCount;
}

// The loader's own progress (loader thread, or the main thread's slices).
BankLoading Loader;
}  // namespace

StereoSample* LoadSample(const char* name, uint32_t* length)
{
    SampleDecoding decoding;
    if (!OpenSample(name, MaxSampleFrames, decoding))
    {
        *length = 0;
        return nullptr;
    }
    while (DecodeChunk(decoding))
    {
    }
    return FinishSample(decoding, false, length);
}

bool SampleLoaderStep()
{
    // Each look at StopLoading takes LoaderLock; the last one, or the end of
    // the bank, sets SamplesLoaded under it.
    if (DecodeBankStep(Loader, LoaderAskedToStop))
    {
        return true;
    }
    EnterLock(LoaderLock);
    SamplesLoaded = true;
    LeaveLock(LoaderLock);
    return false;
}

void SampleLoaderThread()
{
    Loader = BankLoading();
    while (SampleLoaderStep())
    {
    }
}

void LoadSampleBank()
{
    BankLoading loading;
    while (DecodeBankStep(loading, NeverStop))
    {
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
// The loader thread's start and stop (main thread)
// ---------------------------------------------------------------------------

void StartSampleLoader()
{
    Loader = BankLoading();
    StartWorkerThread(SampleLoaderStep);
    loaderStarted = true;
}

void StopSampleLoader()
{
    if (!loaderStarted)
    {
        return;
    }
    // Ask the loader to stop at its next look and wait until it has ended;
    // it sets SamplesLoaded on every way out. Polling keeps this side from
    // ever holding the lock while the loader needs it.
    while (!TryEnterLock(LoaderLock))
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    StopLoading = true;
    LeaveLock(LoaderLock);
    JoinWorkerThread();
    loaderStarted = false;
}
