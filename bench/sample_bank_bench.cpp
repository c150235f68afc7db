// Peak memory of loading the whole sample bank when every file is a minute
// long: 34 minutes, 360 MB if decoded whole. The loader cuts each sample at
// 30 s and stops at 2^24 frames in all, so the peak should stay near the
// bank's own 64 MiB. Reported as bank_peak_kb above the resident size before.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "audio/samples.h"
#include "bench/proc_status.h"

namespace
{
void SampleBankPeak(benchmark::State& state)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("mirelantha-bank-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string sample = (dir / "long.ogg").string();
    if (std::system(("sox -n -r 44100 -c 2 -C -1 '" + sample + "' synth 60 sine 440").c_str()) != 0)
    {
        fs::remove_all(dir);
        state.SkipWithError("sox makes the long sample");
        return;
    }
    for (const char* name : SampleNames)
    {
        fs::create_symlink(sample, dir / (std::string(name) + ".ogg"));
    }
    const std::string directory = dir.string();
    SampleDirectory = directory.c_str();
    long peakKb = 0;
    for (auto _ : state)
    {
        FreeSamples();
        const long before = StatusKb("VmRSS:");
        std::ofstream("/proc/self/clear_refs") << "5" << std::flush;  // resets the peak
        LoadSampleBank();
        peakKb = StatusKb("VmHWM:") - before;
    }
    state.counters["bank_peak_kb"] = static_cast<double>(peakKb);
    FreeSamples();
    SamplesLoaded = false;
    SampleDirectory = "dat/samples";
    fs::remove_all(dir);
}
BENCHMARK(SampleBankPeak)->Unit(benchmark::kMillisecond)->Iterations(1);
}  // namespace
