// The sample bank and the sound effects: odd, damaged and broken files stay
// silent without harm (every shipped one loads: see the missing cat), the
// loader can be stopped, and PlaySound / PlaySoundEx claim, refuse and
// recycle voices as the game hears.

#include <chrono>
#include <cmath>
#include <numeric>
#include <thread>

#include "tests/audio/audio_harness.h"
#include "tests/ogg_pages.h"

namespace
{
const std::string OddSamples = std::string(MIRELANTHA_SOURCE_DIR) + "/tests/data/samples_odd";

constexpr int32_t StepKind = SampleKind(SoundStep);

int QueuedSfx()
{
    return AudioSlots[gameSlot].voiceIds.count;
}

// The RMS of one channel.
double Rms(const std::vector<StereoSample>& frames, int16_t StereoSample::*channel)
{
    const auto add = [channel](double sum, StereoSample f) { return sum + double(f.*channel) * (f.*channel); };
    return frames.empty() ? 0.0 : std::sqrt(std::accumulate(frames.begin(), frames.end(), 0.0, add) / frames.size());
}

int LoadedSamples()
{
    return static_cast<int>(std::count_if(SampleBank, SampleBank + SampleCount,
                                          [](const SampleData& s) { return s.frames || s.length; }));
}

// Every test starts from the audio start-up state with an empty bank and the
// shipped sample folder, and leaves the same behind for the next one.
class SampleBankTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FreeSamples();
        std::srand(1);
        AudioStartupState();
        useDirectory(ShippedSamples);
    }

    void TearDown() override
    {
        FreeSamples();
        SamplesLoaded = false;
        SampleDirectory = "dat/samples";
    }

    void useDirectory(const std::string& path)
    {
        directory = path;
        SampleDirectory = directory.c_str();
    }

    // Decodes one file of the current folder into a copy the test owns.
    std::vector<StereoSample> load(const char* name)
    {
        uint32_t length = 123;
        StereoSample* frames = LoadSample(name, &length);
        EXPECT_EQ(frames == nullptr, length == 0) << name;
        std::vector<StereoSample> copy(frames, frames + (frames ? length : 0));
        delete[] frames;
        return copy;
    }

    std::string directory;
};

using SampleFiles = SampleBankTest;
using SoundEffects = SampleBankTest;
using SampleLoader = SampleBankTest;
}  // namespace

// Every page of a sample must be whole and pass its checksum, and its headers
// must be well formed, before the decoder sees it: a damaged comment header
// once made it loop for seconds over gigabytes, or crash.
TEST_F(SampleFiles, StereoFromAnyChannelCountAndSilenceFromEmptyCutDamagedGarbageAndMissingFiles)
{
    const std::string real = ReadAll(ShippedSamples + "/step.ogg");
    ASSERT_GT(real.size(), 200u);
    const std::string garbage(real.rbegin(), real.rend());  // a real file backwards
    std::string flipped = real;
    flipped[flipped.size() / 2] ^= 0x10;
    // A page sealed with a good checksum whose comment header claims far more
    // comments than it holds.
    std::vector<uint8_t> counted(real.begin(), real.end());
    const size_t page = OggPageLength(counted, 0);
    const size_t packet = page + 27 + counted[page + 26];
    ASSERT_EQ(std::string(real, page, 4) + char(counted[packet]), std::string("OggS\x03"));
    std::copy_n("\xff\xff\xff\x7f", 4, &counted[packet + 11 + Le32(&counted[packet + 7])]);
    SealOggPage(counted, page);

    ScratchFolder scratch;
    useDirectory(scratch.path.string());
    const std::pair<std::string, std::string> damaged[] = {
        {"empty", ""}, {"flipped", flipped}, {"garbage", garbage},
        {"cut_headers", real.substr(0, 100)},  // the decoder cannot even start
        {"half", real.substr(0, real.size() / 2)}, {"short_by_one", real.substr(0, real.size() - 1)},
        // "OggS" followed by nonsense looks like a stream only at first glance.
        {"fake_header", "OggS" + garbage.substr(0, 500)},
        {"comment_count", std::string(counted.begin(), counted.end())},
        {"comment_count_unchecked",
         ReadAll(MIRELANTHA_SOURCE_DIR "/tests/data/ogg_damaged/huge_comment_count_unchecked.ogg")},
    };
    for (const auto& [name, bytes] : damaged)
    {
        scratch.write(name + ".ogg", bytes);
        EXPECT_TRUE(load(name.c_str()).empty()) << name;
    }
    EXPECT_TRUE(load("missing").empty());

    // A stream with valid headers but no audio at all is just as silent.
    useDirectory(OddSamples);
    EXPECT_TRUE(load("no_audio").empty());

    const std::vector<StereoSample> mono = load("mono");
    EXPECT_TRUE(std::all_of(mono.begin(), mono.end(), [](StereoSample f) { return f.left == f.right; }));
    EXPECT_GT(Rms(mono, &StereoSample::left), 1000.0);
    // Left holds a 0.5 sine, right a 0.25 sine and the third channel loud
    // noise. A sine of amplitude a has an RMS of a / sqrt(2); noise would give ~15000.
    const std::vector<StereoSample> three = load("three_channels");
    EXPECT_NEAR(Rms(three, &StereoSample::left), 0.5 * 32767 / std::sqrt(2.0), 1000.0);
    EXPECT_NEAR(Rms(three, &StereoSample::right), 0.25 * 32767 / std::sqrt(2.0), 600.0);
}

TEST_F(SampleLoader, ShutdownWithoutBeforeOrWhileLoadingReturnsWithAnEmptyBankAndAMissingFileLeavesOneSilent)
{
    // Tools and tests run with no loader: shutdown must not wait for a
    // SamplesLoaded that nobody will set.
    AudioShutdown();
    EXPECT_EQ(LoadedSamples(), 0);

    // Hold the lock so the loader waits at its first check, ask it to stop,
    // then let shutdown poll until it has said it is done.
    EnterLock(LoaderLock);
    StartSampleLoader();
    StopLoading = true;
    LeaveLock(LoaderLock);
    AudioShutdown();
    EXPECT_TRUE(SamplesLoaded);
    EXPECT_EQ(LoadedSamples(), 0);

    AudioStartupState();
    StartSampleLoader();
    AudioShutdown();  // stops between two files, whichever they are
    EXPECT_TRUE(SamplesLoaded);
    EXPECT_EQ(LoadedSamples(), 0);

    // Run to its end, it leaves only a missing file's sample silent.
    AudioStartupState();
    ScratchFolder scratch;
    std::filesystem::copy(ShippedSamples, scratch.path);
    std::filesystem::remove(scratch.path / (std::string(SampleNames[SoundCat]) + ".ogg"));
    useDirectory(scratch.path.string());
    SampleLoaderThread();
    ASSERT_TRUE(SamplesLoaded);
    EXPECT_EQ(SampleBank[SoundCat].length, 0u);
    EXPECT_EQ(LoadedSamples(), SampleCount - 1);  // what a silent sample plays: the voice tests
}

TEST_F(SoundEffects, NothingPlaysBeforeTheBankIsLoadedNorPastItsEnd)
{
    ASSERT_FALSE(SamplesLoaded);
    PlaySound(StepKind, 0.4f, 0.0f);
    PlaySound(KindSquare, 0.4f, 0.0f);  // refused even though it needs no sample
    PlaySoundEx(StepKind, 0.0f, 0.4f, 0.6f, 0.0f);
    EXPECT_EQ(QueuedSfx(), 0);

    // A synthesised effect started the long way needs no sample.
    PlaySoundEx(KindSquare, 440.0f, 0.4f, 0.6f, 0.0f);
    EXPECT_EQ(QueuedSfx(), 1);

    // Kinds that would read past the bank are refused once it is loaded too.
    LoadSampleBank();
    PlaySound(EndSampleKind, 0.4f, 0.0f);
    PlaySoundEx(EndSampleKind + 100, 0.0f, 0.4f, 0.6f, 0.0f);
    EXPECT_EQ(QueuedSfx(), 1);
}

TEST_F(SoundEffects, SixtyFifthEffectIsDroppedUntilAFinishedVoiceComesBack)
{
    LoadSampleBank();
    for (int i = 0; i < 64; ++i)
    {
        PlaySound(StepKind, 0.4f, 0.0f);
    }
    ASSERT_EQ(QueuedSfx(), 64);
    int searchIndex = nextSfxVoice;
    PlaySound(StepKind, 0.4f, 0.0f);
    EXPECT_EQ(QueuedSfx(), 64);
    EXPECT_EQ(nextSfxVoice, searchIndex);

    // The footsteps are short: after a few callbacks every one has finished.
    // The reports sit in the mixer's block until it takes the game's next
    // block, and reach the game with the swap after that.
    AudioUpdate(false, false);
    for (int i = 0; i < 8; ++i)
    {
        Callback(2048);
    }
    AudioUpdate(false, false);
    EXPECT_EQ(SfxVoicesInUse(), 64);
    PlaySound(StepKind, 0.4f, 0.0f);
    EXPECT_EQ(QueuedSfx(), 0);

    Callback(2048);
    AudioUpdate(false, false);
    EXPECT_EQ(SfxVoicesInUse(), 0);
    PlaySound(StepKind, 0.4f, 0.0f);
    EXPECT_EQ(QueuedSfx(), 1);
    EXPECT_EQ(nextSfxVoice, searchIndex);  // the search resumes where it stopped
}

TEST_F(SampleLoader, LongFilesAreCutAndShutdownStopsInTheMiddleOfAFile)
{
#ifdef _WIN32
    GTEST_SKIP() << "the long sample is made with sox, a tool of the Linux build machine";
#endif
    // A minute of sound under every name: 34 minutes, 360 MB decoded whole.
    ScratchFolder scratch;
    const std::string sample = (scratch.path / "long.ogg").string();
    ASSERT_EQ(std::system(("sox -n -r 44100 -c 2 -C -1 '" + sample + "' synth 60 sine 440").c_str()), 0)
        << "sox makes the long sample";
    for (const char* name : SampleNames)
    {
        std::filesystem::create_symlink(sample, scratch.path / (std::string(name) + ".ogg"));
    }
    useDirectory(scratch.path.string());

    // Shutdown while the first file decodes: the loader stops at once and
    // that sample stays silent.
    using Ms = std::chrono::milliseconds;
    const auto started = std::chrono::steady_clock::now();
    StartSampleLoader();
    std::this_thread::sleep_for(Ms(20));
    const auto asked = std::chrono::steady_clock::now();
    StopSampleLoader();
    const int waitedMs = static_cast<int>(
        std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now() - asked).count());
    RecordProperty("stop_ms", waitedMs);
    EXPECT_TRUE(SamplesLoaded);
    EXPECT_LT(waitedMs, 500);
    // 30 s of sound take far longer than 50 ms to decode, so the first file
    // was still decoding then (unless a starved machine slept much longer).
    if (asked - started < Ms(50))
    {
        EXPECT_EQ(SampleBank[0].length, 0u) << "the file being decoded when shutdown asked";
    }
    FreeSamples();

    // The whole bank: each sample cut at 30 s, later ones silent once the
    // bank holds 2^24 frames. Its peak memory is a benchmark's.
    LoadSampleBank();
    uint64_t frames = 0;
    for (const SampleData& s : SampleBank)
    {
        EXPECT_LE(s.length, MaxSampleFrames);
        frames += s.length;
    }
    EXPECT_EQ(SampleBank[0].length, MaxSampleFrames);
    EXPECT_LE(frames, MaxBankFrames);
    EXPECT_GT(frames, MaxBankFrames - MaxSampleFrames);
}
