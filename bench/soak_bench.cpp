// A long tended garden: the whole stock planted, the garden opened, and the
// gardener walked a random way for a moment every few hundred ticks, so the
// garden is tended and not only overrun. Peak memory may not grow by more than
// 1 MB after the first tenth as creatures and flyers come and go.
// bench/soak.sh runs a million ticks, some five hours of play, under the
// undefined-behaviour sanitizer; a plain benchmark run plays 100000.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "bench/proc_status.h"
#include "game/garden_replay.h"

namespace
{

uint32_t FromEnvironment(const char* name, uint32_t fallback)
{
    const char* text = std::getenv(name);
    return text ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : fallback;
}

void BM_TendedGarden(benchmark::State& state)
{
    const uint32_t total = FromEnvironment("MIRELANTHA_SOAK_TICKS", static_cast<uint32_t>(state.range(0)));
    const uint32_t seed = FromEnvironment("MIRELANTHA_SOAK_SEED", 20261206u);
    for (auto _ : state)
    {
        std::mt19937 random(seed);
        std::vector<ReplayEvent> events;
        for (uint32_t at = 100; at < total; at += 200 + random() % 201)
        {
            const int32_t arrow = static_cast<int32_t>(random() % 4);  // one to five steps
            events.push_back({at, true, arrow});
            events.push_back({at + 12 + static_cast<uint32_t>(random() % 49), false, arrow});
        }
        GardenReplay replay(seed, std::move(events));
        GameTitle& garden = replay.mode();
        int32_t cell = 0;
        for (int32_t kind = 0; kind < TileKinds; ++kind)
        {
            for (; garden.tileStock[kind] > 0; --garden.tileStock[kind])
            {
                garden.tiles[cell++] = kind + 1;
            }
        }
        garden.openGarden();
        long tenth = 0;
        for (uint32_t i = 1; i <= total; ++i)
        {
            replay.step();
            if (i == total / 10)
            {
                tenth = StatusKb("VmHWM:");
            }
        }
        const long peak = StatusKb("VmHWM:");
        state.counters["alive"] = static_cast<double>(garden.entities.size());
        state.counters["spawned"] = garden.nextEntityId - 1;
        state.counters["peak_kB"] = static_cast<double>(peak);
        if (peak > tenth + 1024)
        {
            state.SkipWithError("peak memory grew by more than 1 MB after the first tenth");
        }
    }
}
BENCHMARK(BM_TendedGarden)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
