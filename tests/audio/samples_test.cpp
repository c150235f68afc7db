// The sample bank and the sound effects: the shipped sounds decode, odd and
// broken files stay silent without harm, the loader can be stopped, and
// PlaySound / PlaySoundEx claim, refuse and recycle voices as the game hears.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/threads.h"
#include "audio/mixer.h"
#include "audio/music.h"
#include "audio/samples.h"
#include "audio/voices.h"

namespace fs = std::filesystem;

namespace
{
const std::string ShippedSamples = std::string(MIRELANTHA_SOURCE_DIR) + "/dat/samples";
const std::string OddSamples = std::string(MIRELANTHA_SOURCE_DIR) + "/tests/data/samples_odd";

constexpr int32_t Kind(int soundId)
{
    return FirstSampleKind + soundId;
}
constexpr int CatId = 31;
constexpr int StepId = 33;
constexpr int PlantId = 23;  // "enemy_death"

std::vector<StereoSample> Callback(int frames)
{
    std::vector<uint8_t> bytes(4 * frames);
    AudioCallback(nullptr, bytes.data(), static_cast<int>(bytes.size()));
    std::vector<StereoSample> out(frames);
    for (int i = 0; i < frames; ++i)
    {
        const uint8_t* b = &bytes[4 * i];
        out[i].left = static_cast<int16_t>(static_cast<uint16_t>(b[0] | (b[1] << 8)));
        out[i].right = static_cast<int16_t>(static_cast<uint16_t>(b[2] | (b[3] << 8)));
    }
    return out;
}

int QueuedSfx()
{
    return AudioSlots[gameSlot].voiceIds.count;
}

double Rms(const std::vector<StereoSample>& frames, bool left)
{
    double sum = 0.0;
    for (const StereoSample& f : frames)
    {
        double v = left ? f.left : f.right;
        sum += v * v;
    }
    return frames.empty() ? 0.0 : std::sqrt(sum / frames.size());
}

int Peak(const StereoSample* frames, uint32_t length)
{
    int peak = 0;
    for (uint32_t i = 0; i < length; ++i)
    {
        peak = std::max({peak, std::abs(frames[i].left), std::abs(frames[i].right)});
    }
    return peak;
}

// A scratch folder of its own for each test, removed afterwards.
class ScratchDir
{
public:
    ScratchDir()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = fs::temp_directory_path() /
               ("mirelantha_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~ScratchDir() { fs::remove_all(path); }

    void write(const std::string& name, const std::vector<char>& bytes) const
    {
        std::ofstream out(path / name, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    fs::path path;
};

std::vector<char> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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
        directory = ShippedSamples;
        SampleDirectory = directory.c_str();
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

    std::string directory;
};

using SampleFiles = SampleBankTest;
using SoundEffects = SampleBankTest;
using SampleLoader = SampleBankTest;
}  // namespace

// ---------------------------------------------------------------------------
// Decoding
// ---------------------------------------------------------------------------

TEST_F(SampleFiles, EveryShippedSoundDecodesToShortStereoAtSensibleLevels)
{
    LoadSampleBank();
    ASSERT_TRUE(SamplesLoaded);
    uint32_t totalFrames = 0;
    for (int id = 0; id < SampleCount; ++id)
    {
        const SampleData& sample = SampleBank[id];
        SCOPED_TRACE(SampleNames[id]);
        ASSERT_NE(sample.frames, nullptr);
        EXPECT_GT(sample.length, 2000u);       // more than a click
        EXPECT_LT(sample.length, 2u * 44100);  // none longer than two seconds
        totalFrames += sample.length;
        int peak = Peak(sample.frames, sample.length);
        if (id < 16)
        {
            // Drums play at 0.04..0.08: they have to be loud in the file.
            EXPECT_GT(peak, 14000);
        }
        else
        {
            // Effects play at up to 0.4 x 1.6: they must stay well below full scale.
            EXPECT_GT(peak, 4000);
            EXPECT_LT(peak, 18000);
        }
    }
    EXPECT_LT(totalFrames, 30u * 44100);
}

TEST_F(SampleFiles, MonoFileFeedsBothSidesAlike)
{
    useDirectory(OddSamples);
    uint32_t length = 0;
    StereoSample* frames = LoadSample("mono", &length);
    ASSERT_NE(frames, nullptr);
    EXPECT_GT(length, 4000u);
    bool heard = false;
    for (uint32_t i = 0; i < length; ++i)
    {
        ASSERT_EQ(frames[i].left, frames[i].right) << "frame " << i;
        heard = heard || frames[i].left != 0;
    }
    EXPECT_TRUE(heard);
    delete[] frames;
}

TEST_F(SampleFiles, FileWithThreeChannelsKeepsItsFirstTwoAndDropsTheThird)
{
    // Left holds a 0.5 sine, right a 0.25 sine and the third channel loud noise.
    useDirectory(OddSamples);
    uint32_t length = 0;
    StereoSample* frames = LoadSample("three_channels", &length);
    ASSERT_NE(frames, nullptr);
    std::vector<StereoSample> copy(frames, frames + length);
    delete[] frames;
    // A sine of amplitude a has an RMS of a / sqrt(2); noise of 0.9 would give ~15000.
    EXPECT_NEAR(Rms(copy, true), 0.5 * 32767 / std::sqrt(2.0), 1000.0);
    EXPECT_NEAR(Rms(copy, false), 0.25 * 32767 / std::sqrt(2.0), 600.0);
}

TEST_F(SampleFiles, EmptyTruncatedAndGarbageFilesLoadAsSilence)
{
    ScratchDir scratch;
    std::vector<char> real = ReadFile(ShippedSamples + "/drum0.ogg");
    ASSERT_GT(real.size(), 200u);

    scratch.write("empty.ogg", {});
    // Cut inside the headers: the decoder cannot even start.
    scratch.write("cut_headers.ogg", std::vector<char>(real.begin(), real.begin() + 100));
    std::srand(3);
    std::vector<char> garbage(5000);
    for (char& c : garbage)
    {
        c = static_cast<char>(std::rand() & 0xFF);
    }
    scratch.write("garbage.ogg", garbage);
    // "OggS" followed by nonsense looks like a stream only at first glance.
    std::vector<char> fakeHeader = {'O', 'g', 'g', 'S'};
    fakeHeader.insert(fakeHeader.end(), garbage.begin(), garbage.begin() + 500);
    scratch.write("fake_header.ogg", fakeHeader);
    useDirectory(scratch.path.string());

    for (const char* name : {"empty", "cut_headers", "garbage", "fake_header", "missing"})
    {
        SCOPED_TRACE(name);
        uint32_t length = 123;
        EXPECT_EQ(LoadSample(name, &length), nullptr);
        EXPECT_EQ(length, 0u);
    }

    // A stream with valid headers but no audio at all is just as silent.
    useDirectory(OddSamples);
    uint32_t length = 123;
    EXPECT_EQ(LoadSample("no_audio", &length), nullptr);
    EXPECT_EQ(length, 0u);
}

TEST_F(SampleFiles, TruncatedFileKeepsWhatDecodedAndNothingBeyond)
{
    ScratchDir scratch;
    std::vector<char> real = ReadFile(ShippedSamples + "/drumB.ogg");
    scratch.write("half.ogg", std::vector<char>(real.begin(), real.begin() + real.size() / 2));
    useDirectory(ShippedSamples);
    uint32_t fullLength = 0;
    StereoSample* full = LoadSample("drumB", &fullLength);
    ASSERT_NE(full, nullptr);

    useDirectory(scratch.path.string());
    uint32_t length = 0;
    StereoSample* half = LoadSample("half", &length);
    // Whatever the decoder salvaged is the start of the real sound.
    EXPECT_LT(length, fullLength);
    for (uint32_t i = 0; i < length && i < 2000; ++i)
    {
        ASSERT_EQ(half[i].left, full[i].left) << "frame " << i;
    }
    delete[] half;
    delete[] full;
}

// ---------------------------------------------------------------------------
// Loader thread
// ---------------------------------------------------------------------------

TEST_F(SampleLoader, LoadsAllThirtyFourInOrderThenReportsLoaded)
{
    SampleLoaderThread();
    EXPECT_TRUE(SamplesLoaded);
    for (int id = 0; id < SampleCount; ++id)
    {
        EXPECT_GT(SampleBank[id].length, 0u) << SampleNames[id];
    }
}

TEST_F(SampleLoader, ShutdownBeforeTheFirstFileStopsItWithAnEmptyBank)
{
    // Hold the lock so the loader waits at its first check, ask it to stop,
    // then let shutdown poll until it has said it is done.
    LoaderLock.lock();
    StartSampleLoader();
    StopLoading = true;
    LoaderLock.unlock();
    AudioShutdown();
    EXPECT_TRUE(SamplesLoaded);
    for (int id = 0; id < SampleCount; ++id)
    {
        EXPECT_EQ(SampleBank[id].length, 0u) << SampleNames[id];
        EXPECT_EQ(SampleBank[id].frames, nullptr);
    }
}

TEST_F(SampleLoader, ShutdownWhileLoadingWaitsForTheLoaderThenFreesTheBank)
{
    StartSampleLoader();
    AudioShutdown();  // stops between two files, whichever they are
    EXPECT_TRUE(SamplesLoaded);
    for (const SampleData& sample : SampleBank)
    {
        EXPECT_EQ(sample.frames, nullptr);
        EXPECT_EQ(sample.length, 0u);
    }
}

TEST_F(SampleLoader, MissingCatFileLeavesOnlyTheCatSilent)
{
    ScratchDir scratch;
    for (int id = 0; id < SampleCount; ++id)
    {
        if (id != CatId)
        {
            fs::copy_file(ShippedSamples + "/" + SampleNames[id] + ".ogg",
                          scratch.path / (std::string(SampleNames[id]) + ".ogg"));
        }
    }
    useDirectory(scratch.path.string());
    SampleLoaderThread();
    ASSERT_TRUE(SamplesLoaded);
    EXPECT_EQ(SampleBank[CatId].length, 0u);
    EXPECT_GT(SampleBank[PlantId].length, 0u);

    // Picking up a tile (the cat) plays nothing and frees its voice again;
    // placing one (enemy_death) is heard.
    AudioStartupState();
    SamplesLoaded = true;
    SampleClock = 1;  // past the first beat: no music starts in these frames
    PlaySoundEx(Kind(CatId), 0.0f, 0.4f, 0.6f, 0.0f);
    AudioUpdate();
    std::vector<StereoSample> out = Callback(8000);
    EXPECT_EQ(Rms(out, true), 0.0);
    EXPECT_FALSE(VoiceActive[0]);

    PlaySound(Kind(PlantId), 0.2f, 0.0f);
    AudioUpdate();
    out = Callback(8000);
    EXPECT_GT(Rms(out, true), 100.0);
}

// ---------------------------------------------------------------------------
// Sound effects
// ---------------------------------------------------------------------------

TEST_F(SoundEffects, NothingPlaysBeforeTheBankIsLoaded)
{
    ASSERT_FALSE(SamplesLoaded);
    PlaySound(Kind(StepId), 0.4f, 0.0f);
    PlaySound(9, 0.4f, 0.0f);  // refused even though it needs no sample
    PlaySoundEx(Kind(StepId), 0.0f, 0.4f, 0.6f, 0.0f);
    EXPECT_EQ(QueuedSfx(), 0);
    EXPECT_EQ(nextSfxVoice, 0);

    // A synthesised effect started the long way needs no sample.
    PlaySoundEx(9, 440.0f, 0.4f, 0.6f, 0.0f);
    EXPECT_EQ(QueuedSfx(), 1);
    EXPECT_TRUE(SfxVoiceInUse[0]);
}

TEST_F(SoundEffects, PlaySoundClampsLoudVolumesButPlaySoundExDoesNot)
{
    LoadSampleBank();
    auto startedVolume = [](bool extended, float volume) {
        AudioStartupState();
        SamplesLoaded = true;
        std::srand(42);  // same pan and boost draws for every start
        if (extended)
        {
            PlaySoundEx(Kind(StepId), 0.0f, volume, 0.6f, 0.0f);
        }
        else
        {
            PlaySound(Kind(StepId), volume, 0.0f);
        }
        return Voices[0].volume;
    };
    EXPECT_EQ(startedVolume(false, 3.0f), startedVolume(false, 1.0f));
    EXPECT_FLOAT_EQ(startedVolume(true, 3.0f), 3.0f * startedVolume(true, 1.0f));
    // Quiet and negative volumes pass through PlaySound unchanged.
    EXPECT_FLOAT_EQ(startedVolume(false, -0.5f), startedVolume(true, -0.5f));

    // PlaySound asks for the usual echo send and the sample's own length.
    startedVolume(false, 0.4f);
    EXPECT_FLOAT_EQ(Voices[0].echoSend, 0.6f);
    EXPECT_EQ(Voices[0].sustain, SampleBank[StepId].length);
    EXPECT_EQ(Voices[0].attack, 0u);
    EXPECT_EQ(Voices[0].release, 0u);
}

TEST_F(SoundEffects, SixtyFifthEffectIsDroppedUntilAFinishedVoiceComesBack)
{
    LoadSampleBank();
    for (int i = 0; i < 64; ++i)
    {
        PlaySound(Kind(StepId), 0.4f, 0.0f);
    }
    ASSERT_EQ(QueuedSfx(), 64);
    int searchIndex = nextSfxVoice;
    PlaySound(Kind(StepId), 0.4f, 0.0f);
    EXPECT_EQ(QueuedSfx(), 64);
    EXPECT_EQ(nextSfxVoice, searchIndex);

    // The footsteps are short: after a few callbacks every one has finished.
    // The reports sit in the mixer's block until it takes the game's next
    // block, and reach the game with the swap after that.
    AudioUpdate();
    for (int i = 0; i < 8; ++i)
    {
        Callback(2048);
    }
    AudioUpdate();
    for (bool inUse : SfxVoiceInUse)
    {
        ASSERT_TRUE(inUse);
    }
    PlaySound(Kind(StepId), 0.4f, 0.0f);
    EXPECT_EQ(QueuedSfx(), 0);

    Callback(2048);
    AudioUpdate();
    for (bool inUse : SfxVoiceInUse)
    {
        EXPECT_FALSE(inUse);
    }
    PlaySound(Kind(StepId), 0.4f, 0.0f);
    EXPECT_EQ(QueuedSfx(), 1);
    EXPECT_EQ(nextSfxVoice, searchIndex);  // the search resumes where it stopped
}

TEST_F(SoundEffects, SearchResumesAtTheLastVoiceAndWrapsAround)
{
    for (int i = 0; i < 64; ++i)
    {
        SfxVoiceInUse[i] = i != 2 && i != 60;
    }
    nextSfxVoice = 61;
    PlaySoundEx(9, 440.0f, 0.1f, 0.0f, 0.0f);
    EXPECT_EQ(nextSfxVoice, 2);
    PlaySoundEx(9, 440.0f, 0.1f, 0.0f, 0.0f);
    EXPECT_EQ(nextSfxVoice, 60);
    EXPECT_EQ(AudioSlots[gameSlot].voiceIds.ids[0], 2);
    EXPECT_EQ(AudioSlots[gameSlot].voiceIds.ids[1], 60);
}

TEST_F(SoundEffects, KindPastTheBankIsRefused)
{
    LoadSampleBank();
    PlaySound(EndSampleKind, 0.4f, 0.0f);
    PlaySoundEx(EndSampleKind + 100, 0.0f, 0.4f, 0.6f, 0.0f);
    EXPECT_EQ(QueuedSfx(), 0);
}

TEST_F(SoundEffects, TwoEffectsStartedInOneFrameAreHeardFromTheSameGridLine)
{
    LoadSampleBank();
    const uint32_t clockAtExchange = 1000;  // off the grid

    // The same run twice, with and without the two effects; rand() is reseeded
    // after the starts so the music is the same in both.
    auto render = [&](bool withEffects) {
        std::srand(8);
        MusicSection = 0;  // the one music state start-up leaves alone
        AudioStartupState();
        SamplesLoaded = true;
        Callback(static_cast<int>(clockAtExchange));
        if (withEffects)
        {
            PlaySound(Kind(PlantId), 0.2f, -0.5f);
            PlaySound(Kind(StepId), 0.4f, 0.5f);
        }
        std::srand(9);
        AudioUpdate();
        return Callback(8192);
    };
    std::vector<StereoSample> quiet = render(false);
    std::vector<StereoSample> loud = render(true);
    ASSERT_GT(Voices[0].position, 0u);
    ASSERT_GT(Voices[1].position, 0u);
    EXPECT_EQ(Voices[0].delay, Voices[1].delay);

    size_t first = 0;
    while (first < loud.size() && loud[first].left == quiet[first].left &&
           loud[first].right == quiet[first].right)
    {
        ++first;
    }
    uint32_t start = Voices[0].delay;
    EXPECT_EQ((clockAtExchange + start) % GridFrames, 0u);
    // The first frames of a sample may still round to silence.
    EXPECT_GE(first, start);
    EXPECT_LT(first, start + 64);
}
