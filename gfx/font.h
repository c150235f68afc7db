// The 81-glyph 5 x 5 bitmap font and the two text routines. Main thread only.
#pragma once

#include <cstdint>

constexpr int FontGlyphs = 81;
constexpr int GlyphCellBytes = 25;  // 5 rows of 5 columns, top row first

// The drawable characters; a character's index here is its glyph number.
extern const char FontCharset[FontGlyphs + 1];
// Advance of each glyph in unscaled pixels, including the gap to the next one.
// At most the first 5 columns of a glyph are drawn.
extern const int32_t (&GlyphWidth)[FontGlyphs];
// Glyph k at bytes 25k..25k+24, row by row from the top, 0 empty and 1 set.
extern const uint8_t (&GlyphBitmap)[FontGlyphs * GlyphCellBytes];

// Sum of the advance widths of the characters found in the font, unscaled pixels.
int32_t TextWidth(const char* text);

// Draws text with its bottom-left corner at (x, y), y growing upward, in one
// palette index at an integer scale. Characters outside the font are skipped;
// pixels off the screen are dropped one by one.
void DrawText(const char* text, int32_t x, int32_t y, int8_t index, int32_t scale);
