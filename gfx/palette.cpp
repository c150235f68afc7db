// The ten-colour palette: base colours, the live colours pixels are shown in,
// the targets they drift to, and the per-tick drift itself.
//
// Each colour has two variants (even rows, odd rows) that jitter independently,
// which gives the picture its faint scanline shimmer. The jitter constants are
// written as double literals, so the sums are formed in double and rounded once
// when stored back into the float tables. Main thread only: the main loop
// calls PaletteTick once per 18 ms tick and presentation reads LivePalette.
#include "gfx/palette.h"

#include <cmath>    // Required for: std::fabs()
#include <cstdlib>  // Required for: rand()

//------------------------------------------------------------------------------
// Global state
//------------------------------------------------------------------------------

const float BasePalette[PaletteColours][3] = {
    {0.0f, 0.0f, 0.0f},    // 0 background black
    {0.28f, 0.09f, 0.01f}, // 1 dark brown
    {0.48f, 0.31f, 0.27f}, // 2 muted brown
    {0.72f, 0.66f, 0.59f}, // 3 light stone
    {0.43f, 0.68f, 0.04f}, // 4 leaf green
    {0.15f, 0.03f, 0.72f}, // 5 deep blue
    {0.59f, 0.17f, 0.84f}, // 6 purple
    {1.0f, 0.0f, 0.0f},    // 7 red
    {1.0f, 0.64f, 0.03f},  // 8 orange
    {1.0f, 0.05f, 0.33f},  // 9 pink-red
};
static_assert(sizeof(BasePalette) / sizeof(BasePalette[0]) == PaletteColours,
              "one base colour per palette index");

float LivePalette[PaletteColours][2][3];
float TargetPalette[PaletteColours][2][3];
int32_t PaletteDriftSpeed = 24;
int32_t PaletteTickCounter = 0;

namespace
{
// Ticks between two draws of new targets (36 s at 18 ms a tick).
constexpr int32_t TargetPeriod = 2000;

// A jittered base component: rand() % 201 - 100 is -100..100 steps of the
// given size, so the result is within +-100 * stepSize of the base.
float Jittered(float base, double stepSize)
{
    return static_cast<float>(base + (rand() % 201 - 100) * stepSize);
}
}

//------------------------------------------------------------------------------
// Functions
//------------------------------------------------------------------------------

// The rand() order matters to reproduce a run: per component one draw for the
// live colour, then a fresh one for its target.
void InitPalettes()
{
    for (int c = 0; c < PaletteColours; c++)
    {
        for (int v = 0; v < 2; v++)
        {
            for (int k = 0; k < 3; k++)
            {
                LivePalette[c][v][k] = Jittered(BasePalette[c][k], 0.0008);
                TargetPalette[c][v][k] = Jittered(BasePalette[c][k], 0.0008);
            }
        }
    }
}

void PaletteTick()
{
    // The drift uses the speed and targets from before this tick's redraw.
    const double step = PaletteDriftSpeed * 0.005;
    for (int c = 0; c < PaletteColours; c++)
    {
        for (int v = 0; v < 2; v++)
        {
            for (int k = 0; k < 3; k++)
            {
                float& live = LivePalette[c][v][k];
                const float target = TargetPalette[c][v][k];
                const float d = std::fabs(live - target);
                if (d < step)
                {
                    live = target;
                }
                else if (target > live)
                {
                    live = static_cast<float>(live + step);
                }
                else
                {
                    live = static_cast<float>(live - step);
                }
            }
        }
    }

    // Counter 0 included: the first tick, and the first tick of every new
    // game, draws targets at once.
    if (PaletteTickCounter % TargetPeriod == 0)
    {
        if (PaletteTickCounter > 0)
        {
            PaletteDriftSpeed = 1;
        }
        for (int c = 0; c < PaletteColours; c++)
        {
            for (int v = 0; v < 2; v++)
            {
                for (int k = 0; k < 3; k++)
                {
                    TargetPalette[c][v][k] = Jittered(BasePalette[c][k], 0.0004);
                }
            }
        }
    }

    // Wraps after 2^31 ticks (about 440 days) instead of overflowing a signed int.
    PaletteTickCounter = static_cast<int32_t>(static_cast<uint32_t>(PaletteTickCounter) + 1u);
}

// Indices 10..127 have no palette entry; no drawing code writes them, but a
// stray one must not read past the table, so it shows black like a negative one.
void PixelColour(int8_t index, int variant, uint8_t rgb[3])
{
    if (index < 0 || index >= PaletteColours)
    {
        rgb[0] = rgb[1] = rgb[2] = 0;
        return;
    }
    const float* colour = LivePalette[index][variant & 1];
    for (int k = 0; k < 3; k++)
    {
        float component = colour[k];
        // Jitter can push a component past either end of 0..1.
        if (component < 0.0f)
        {
            component = 0.0f;
        }
        if (component > 1.0f)
        {
            component = 1.0f;
        }
        rgb[k] = static_cast<uint8_t>(component * 255.0f);
    }
}
