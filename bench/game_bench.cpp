// The garden's per-tick cost and its drawing cost, on a busy garden: a full
// board, the gardener, 6 creatures, 2 flyers and 300 sparks.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "game/game_title.h"
#include "gfx/screen_buffer.h"

namespace
{

constexpr int SparkCount = 300;
constexpr int TicksPerScene = 90;  // sparks live 100 ticks; rebuild before they thin out

std::unique_ptr<GameTitle> BusyGarden()
{
    std::srand(1);
    auto garden = std::make_unique<GameTitle>();
    // Every cell planted: a mix of ground cover, plants at all stages and shrubs.
    const int32_t codes[] = {1, 2, 4, 5, 1, 6, 7, 3, 1, 2, 4, 5};
    for (int32_t cell = 0; cell < BoardCells; ++cell)
    {
        garden->tiles[cell] = codes[cell % 12];
    }
    std::fill(std::begin(garden->tileStock), std::end(garden->tileStock), 0);
    garden->openGarden();
    for (int32_t cell = 0; cell < BoardCells; ++cell)
    {
        garden->growth[cell] = (cell * 977) % 24000;
        garden->blight[cell] = (cell * 37) % 300;
    }
    garden->gardenTicks = 700;
    const int32_t creatureCells[6][2] = {{2, 2}, {5, 1}, {7, 4}, {3, 6}, {1, 4}, {6, 6}};
    for (const auto& cell : creatureCells)
    {
        garden->spawnEntity(EntityCreature, cell[0], cell[1]).orientation = 6;
    }
    for (int i = 0; i < 2; ++i)
    {
        Entity& flyer = garden->spawnEntity(EntityFlyer, 3 + i, 3);
        flyer.velX = 3 - 6 * i;
        flyer.velY = 2;
        flyer.orientation = 6;
    }
    for (int i = 0; i < SparkCount; ++i)
    {
        auto spark = std::make_unique<Effect>();
        spark->kind = EffectSpark;
        spark->posX = 3000 + (i % 17) * 64;
        spark->posY = 3000 + (i % 13) * 64;
        spark->velX = i % 33 - 16;
        spark->velY = (i * 7) % 33 - 16;
        spark->colour = 7;
        spark->life = 1.0f;
        garden->effects.push_back(std::move(spark));
    }
    return garden;
}

void BM_GardenUpdate(benchmark::State& state)
{
    std::unique_ptr<GameTitle> garden = BusyGarden();
    int ticks = 0;
    for (auto _ : state)
    {
        if (ticks == TicksPerScene)
        {
            state.PauseTiming();
            garden = BusyGarden();
            ticks = 0;
            state.ResumeTiming();
        }
        garden->update();
        ++ticks;
    }
}
BENCHMARK(BM_GardenUpdate);

void BM_GardenDraw(benchmark::State& state)
{
    std::unique_ptr<GameTitle> garden = BusyGarden();
    garden->update();
    for (auto _ : state)
    {
        std::fill(std::begin(ScreenBuffer), std::end(ScreenBuffer), int8_t{0});
        garden->draw();
        benchmark::DoNotOptimize(ScreenBuffer);
    }
}
BENCHMARK(BM_GardenDraw);

}  // namespace
