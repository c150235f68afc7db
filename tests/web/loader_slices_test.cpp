// The sample loader in the browser, where there are no threads: its steps run
// in slices between the main loop's iterations. The slices must stay short,
// so the title screen and its music run while the samples decode, and the
// bank they build must be the one a thread builds.
#include <gtest/gtest.h>

#include <emscripten.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/samples.h"
#include "platform/threads.h"
#include "platform/web/worker_slices.h"

namespace
{
// Every sample's frames as the bytes they lie in, left then right.
std::vector<std::string> CopyBank()
{
    std::vector<std::string> bank;
    for (const SampleData& sample : SampleBank)
    {
        bank.emplace_back(reinterpret_cast<const char*>(sample.frames), sample.length * sizeof(StereoSample));
    }
    return bank;
}

class LoaderSlices : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CreateAudioLocks();
    }
    void TearDown() override
    {
        StopSampleLoader();
        FreeSamples();
        SamplesLoaded = false;
        StopLoading = false;
        DeleteAudioLocks();
    }
};

TEST_F(LoaderSlices, ShortSlicesBuildTheWholeBankAsAThreadWould)
{
    LoadSampleBank();
    const auto whole = CopyBank();
    FreeSamples();
    SamplesLoaded = false;

    StartSampleLoader();
    int slices = 0;
    double longest = 0;
    while (!SamplesLoaded && slices < 100000)
    {
        const double start = emscripten_get_now();
        RunWorkerSlice(2.0);
        longest = std::max(longest, emscripten_get_now() - start);
        slices++;
    }
    ASSERT_TRUE(SamplesLoaded);
    // A slice ends after the step that passes its budget: one file opened or
    // 4096 frames decoded, a few milliseconds at most even on a slow machine.
    EXPECT_GE(slices, 10) << "the bank was decoded in a few long slices";
    EXPECT_LT(longest, 50.0);
    EXPECT_EQ(CopyBank(), whole);
    RunWorkerSlice(2.0);  // nothing left to do
}

TEST_F(LoaderSlices, ShutdownInTheMiddleFinishesAtOnceAndLeavesTheSampleBeingDecodedSilent)
{
    StartSampleLoader();
    while (SampleBank[0].length == 0)
    {
        RunWorkerSlice(0.0);  // one step at a time
    }
    RunWorkerSlice(0.0);  // the second sample opened
    RunWorkerSlice(0.0);  // and partly decoded
    ASSERT_FALSE(SamplesLoaded);
    StopSampleLoader();
    EXPECT_TRUE(SamplesLoaded);
    EXPECT_GT(SampleBank[0].length, 0u);
    EXPECT_TRUE(std::all_of(SampleBank + 1, std::end(SampleBank), [](const SampleData& s) { return s.length == 0; }));
}
}  // namespace
