// The ten-colour palette that drifts slowly around fixed base colours.
//
// LivePalette colours the pixels; TargetPalette is where it drifts to. Each
// colour has two variants: 0 for even rows, 1 for odd rows. PaletteTick runs
// once per 18 ms logic tick. Main thread only.
#pragma once

#include <cstdint>

constexpr int PaletteColours = 10;

// The palette indices drawing code writes, named after their base colours.
constexpr int8_t ColourBlack = 0;      // the background
constexpr int8_t ColourDarkBrown = 1;
constexpr int8_t ColourMutedBrown = 2;
constexpr int8_t ColourStone = 3;
constexpr int8_t ColourLeaf = 4;
constexpr int8_t ColourBlue = 5;
constexpr int8_t ColourPurple = 6;
constexpr int8_t ColourRed = 7;
constexpr int8_t ColourOrange = 8;
constexpr int8_t ColourPink = 9;
static_assert(ColourPink == PaletteColours - 1, "one name per palette colour");

extern const float BasePalette[PaletteColours][3];
extern float LivePalette[PaletteColours][2][3];
extern float TargetPalette[PaletteColours][2][3];
extern int32_t PaletteDriftSpeed;   // 24 at start-up, 1 after the first 2000-tick period
extern int32_t PaletteTickCounter;  // ticks since start-up or since the last new game

// The last part of the display's start-up: live and target colours within
// +-0.08 of the base colours, drawn with rand() in the fixed
// colour/variant/component order.
void InitPalettes();

// One tick of drift; every 2000 ticks draws new targets.
void PaletteTick();

// Colour of a ScreenBuffer byte on a row of the given variant (y mod 2).
// Indices outside 0..9 (negative, or the 10..127 no drawing code writes) are black.
void PixelColour(int8_t index, int variant, uint8_t rgb[3]);
