// How long a Print Screen holds up the main loop, up to 4096 x 2160: what
// SaveScreenshot itself takes on the main thread (naming the file and copying
// the picture), beside the writer's work off it (stretching and encoding).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "app/screenshot.h"
#include "gfx/display_image.h"

namespace
{
// A picture like a real frame: a few colours in large areas, so the PNG
// encoder sees what it sees in play rather than start-up noise.
std::vector<uint8_t> FrameLikeStaging()
{
    std::srand(3);
    std::vector<uint8_t> staging(DisplayImageBytes);
    InitDisplayImage(staging.data());
    for (int x = 0; x < 128; x++)
    {
        for (int y = 0; y < 96; y++)
        {
            uint8_t* texel = &staging[DisplayTexelOffset(x, y)];
            int colour = (x / 12 + y / 12) % 4 == 0 ? (x * 3 + y) % 10 : 1;
            texel[0] = static_cast<uint8_t>(colour * 25);
            texel[1] = static_cast<uint8_t>(colour * 17 + (y & 1));
            texel[2] = static_cast<uint8_t>(colour * 9);
        }
    }
    return staging;
}

void BM_ScaleDisplayImage(benchmark::State& state)
{
    int width = static_cast<int>(state.range(0));
    int height = static_cast<int>(state.range(1));
    std::vector<uint8_t> staging = FrameLikeStaging();
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * 4);
    for (auto _ : state)
    {
        ScaleDisplayImage(staging.data(), width, height, out.data());
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ScaleDisplayImage)->Args({1024, 768})->Args({1920, 1080})->Args({4096, 2160})->Unit(benchmark::kMillisecond);

// Presses Print Screen once per iteration in a scratch folder. The press on
// the main thread is always timed; the writer's work (stretch, encode, write)
// only when `timeWriter`, and otherwise waited for untimed.
void RunScreenshots(benchmark::State& state, bool timeWriter)
{
    int width = static_cast<int>(state.range(0));
    int height = static_cast<int>(state.range(1));
    std::vector<uint8_t> staging = FrameLikeStaging();
    namespace fs = std::filesystem;
    fs::path previous = fs::current_path();
    char pattern[] = "/tmp/mirelantha-bench-XXXXXX";
    if (!mkdtemp(pattern))
    {
        state.SkipWithError("no scratch directory");
        return;
    }
    fs::current_path(pattern);
    for (auto _ : state)
    {
        ScreenshotCounter = 0;
        SaveScreenshot(staging.data(), width, height);
        if (timeWriter)
        {
            FinishScreenshots();
        }
        state.PauseTiming();
        FinishScreenshots();
        std::remove("screen0.png");
        state.ResumeTiming();
    }
    fs::current_path(previous);
    fs::remove_all(pattern);
}

void BM_SaveScreenshot(benchmark::State& state)
{
    RunScreenshots(state, false);
}
// Each press waits (untimed) for its writer, which would otherwise run for
// every one of the many quick iterations: a fixed count keeps it short.
BENCHMARK(BM_SaveScreenshot)
    ->Args({1024, 768})
    ->Args({1920, 1080})
    ->Args({4096, 2160})
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

// The writer's share: the same picture stretched, encoded and written whole.
void BM_WriteScreenshot(benchmark::State& state)
{
    RunScreenshots(state, true);
}
BENCHMARK(BM_WriteScreenshot)->Args({1920, 1080})->Args({4096, 2160})->Iterations(5)->Unit(benchmark::kMillisecond);
}
