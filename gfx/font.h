// The 81-glyph 5 x 5 bitmap font and the two text routines. Main thread only.
#pragma once

#include <cstdint>

// Sum of the advance widths of the characters found in the font, unscaled pixels.
int32_t TextWidth(const char* text);

// Draws text with its bottom-left corner at (x, y), y growing upward, in one
// palette index at an integer scale. Characters outside the font are skipped;
// pixels off the screen are dropped one by one.
void DrawText(const char* text, int32_t x, int32_t y, int8_t index, int32_t scale);
