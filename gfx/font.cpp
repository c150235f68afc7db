// The built-in bitmap font: 81 glyphs on a 5 x 5 grid, and the routines that
// measure and draw text with it into the ScreenBuffer.
//
// The glyphs are written below as row patterns ("#" set, "." empty, top row
// first) so that the table can be read and checked by eye; GlyphBitmap is
// built from them at compile time. Main thread only, during drawing.
#include "gfx/font.h"

#include "gfx/screen_buffer.h"

namespace
{
struct GlyphPattern
{
    int32_t width;        // advance in unscaled pixels, including the gap
    const char* rows[5];  // top row first, columns 0..4 left to right
};

// In FontCharset order. The uppercase entries are deliberately not letter
// shapes, and no text of the game uses them; they stay part of the font.
// "^", "&", "<" and ">" are the up, down, left and right arrows.
constexpr GlyphPattern GlyphPatterns[] = {
    { 4, {".....", ".....", ".....", ".....", "....."}}, //  0 space (32)
    { 4, {".#...", "#.#..", "###..", "#.#..", "#.#.."}}, //  1 "a" (97)
    { 4, {"##...", "#.#..", "##...", "#.#..", "##..."}}, //  2 "b" (98)
    { 4, {".##..", "#....", "#....", "#....", ".##.."}}, //  3 "c" (99)
    { 4, {"##...", "#.#..", "#.#..", "#.#..", "##..."}}, //  4 "d" (100)
    { 4, {"###..", "#....", "##...", "#....", "###.."}}, //  5 "e" (101)
    { 4, {"###..", "#....", "##...", "#....", "#...."}}, //  6 "f" (102)
    { 5, {".##..", "#....", "#.##.", "#..#.", ".##.."}}, //  7 "g" (103)
    { 4, {"#.#..", "#.#..", "###..", "#.#..", "#.#.."}}, //  8 "h" (104)
    { 2, {"#....", "#....", "#....", "#....", "#...."}}, //  9 "i" (105)
    { 3, {"##...", ".#...", ".#...", ".#...", "#...."}}, // 10 "j" (106)
    { 4, {"#.#..", "#.#..", "##...", "#.#..", "#.#.."}}, // 11 "k" (107)
    { 3, {"#....", "#....", "#....", "#....", "##..."}}, // 12 "l" (108)
    { 6, {".#.#.", "#.#.#", "#.#.#", "#.#.#", "#...#"}}, // 13 "m" (109)
    { 5, {"#..#.", "##.#.", "#.##.", "#..#.", "#..#."}}, // 14 "n" (110)
    { 4, {".#...", "#.#..", "#.#..", "#.#..", ".#..."}}, // 15 "o" (111)
    { 4, {"##...", "#.#..", "##...", "#....", "#...."}}, // 16 "p" (112)
    { 4, {".#...", "#.#..", "#.#..", "##...", ".##.."}}, // 17 "q" (113)
    { 4, {"##...", "#.#..", "##...", "#.#..", "#.#.."}}, // 18 "r" (114)
    { 4, {".##..", "#....", "###..", "..#..", "##..."}}, // 19 "s" (115)
    { 4, {"###..", ".#...", ".#...", ".#...", ".#..."}}, // 20 "t" (116)
    { 4, {"#.#..", "#.#..", "#.#..", "#.#..", "###.."}}, // 21 "u" (117)
    { 4, {"#.#..", "#.#..", "#.#..", "#.#..", ".#..."}}, // 22 "v" (118)
    { 6, {"#...#", "#...#", "#.#.#", "#.#.#", ".#.#."}}, // 23 "w" (119)
    { 4, {"#.#..", "#.#..", ".#...", "#.#..", "#.#.."}}, // 24 "x" (120)
    { 4, {"#.#..", "#.#..", ".#...", ".#...", ".#..."}}, // 25 "y" (121)
    { 4, {"###..", "..#..", ".#...", "#....", "###.."}}, // 26 "z" (122)
    { 4, {".####", "#....", "#####", ".....", "#.###"}}, // 27 "A" (65)
    { 5, {"#....", "..#..", "#....", "..#.#", "#...#"}}, // 28 "B" (66)
    { 6, {".##.#", "#.#.#", "#.#.#", "#.#.#", "..#.."}}, // 29 "C" (67)
    { 1, {"###.#", "###..", "###..", ".....", ".###."}}, // 30 "D" (68)
    { 5, {"####.", ".....", ".##..", ".....", "####."}}, // 31 "E" (69)
    { 5, {"###..", ".....", "..#.#", ".....", "..#.."}}, // 32 "F" (70)
    { 4, {"#####", ".##.#", "..###", ".###.", "####."}}, // 33 "G" (71)
    { 3, {"#.#..", ".#...", "#.#.#", ".....", "#.#.#"}}, // 34 "H" (72)
    { 4, {"##...", "###..", "##...", "###..", "....."}}, // 35 "I" (73)
    { 4, {".....", "#.#..", "#.#.#", ".....", "....."}}, // 36 "J" (74)
    { 5, {".....", ".....", ".#...", "..#..", "#...#"}}, // 37 "K" (75)
    { 1, {".....", ".##..", ".....", "..##.", "....#"}}, // 38 "L" (76)
    { 6, {"...#.", ".....", ".....", ".....", "#####"}}, // 39 "M" (77)
    { 2, {"..#..", "..#.#", "....#", ".....", "###.#"}}, // 40 "N" (78)
    { 3, {".#...", ".##..", ".....", ".....", "....."}}, // 41 "O" (79)
    { 4, {"##...", ".....", ".....", ".....", "....#"}}, // 42 "P" (80)
    { 5, {"...##", "...##", ".....", ".##..", ".##.."}}, // 43 "Q" (81)
    { 4, {"##...", "....#", "#.#.#", "#.#..", "#.#.#"}}, // 44 "R" (82)
    { 5, {".##..", "##...", ".#..#", "....#", ".#..."}}, // 45 "S" (83)
    { 5, {".....", ".#...", ".....", "...##", ".#..#"}}, // 46 "T" (84)
    { 3, {"###..", "#....", "...##", ".....", "...##"}}, // 47 "U" (85)
    { 6, {"#....", "..#..", ".#...", "...##", "....#"}}, // 48 "V" (86)
    { 2, {"#....", "##...", "#....", "#....", ".#..."}}, // 49 "W" (87)
    { 4, {"#....", "..#..", "..##.", "#..#.", "#.##."}}, // 50 "X" (88)
    { 5, {"#.#..", "#.#.#", "....#", "..#.#", "..#.."}}, // 51 "Y" (89)
    { 6, {"#....", "..###", ".....", ".....", "###.."}}, // 52 "Z" (90)
    { 4, {"###..", "#.#..", "#.#..", "#.#..", "###.."}}, // 53 "0" (48)
    { 3, {".#...", "##...", ".#...", ".#...", ".#..."}}, // 54 "1" (49)
    { 4, {".#...", "#.#..", "..#..", ".#...", "###.."}}, // 55 "2" (50)
    { 4, {"##...", "..#..", "##...", "..#..", "##..."}}, // 56 "3" (51)
    { 4, {"#.#..", "#.#..", "###..", "..#..", "..#.."}}, // 57 "4" (52)
    { 4, {"###..", "#....", "###..", "..#..", "###.."}}, // 58 "5" (53)
    { 4, {"###..", "#....", "###..", "#.#..", "###.."}}, // 59 "6" (54)
    { 4, {"###..", "..#..", ".#...", "#....", "#...."}}, // 60 "7" (55)
    { 4, {"###..", "#.#..", "###..", "#.#..", "###.."}}, // 61 "8" (56)
    { 4, {"###..", "#.#..", "###..", "..#..", "..#.."}}, // 62 "9" (57)
    { 6, {"..#..", ".###.", "#####", "..#..", "..#.."}}, // 63 "^" (94)
    { 6, {"..#..", "..#..", "#####", ".###.", "..#.."}}, // 64 "&" (38)
    { 6, {"..#..", ".##..", "#####", ".##..", "..#.."}}, // 65 "<" (60)
    { 6, {"..#..", "..##.", "#####", "..##.", "..#.."}}, // 66 ">" (62)
    { 2, {".....", ".....", ".....", ".....", "#...."}}, // 67 "." (46)
    { 4, {".....", ".#...", "###..", ".#...", "....."}}, // 68 "+" (43)
    { 4, {".....", ".....", "###..", ".....", "....."}}, // 69 "-" (45)
    { 3, {"##...", "#....", "#....", "#....", "##..."}}, // 70 "[" (91)
    { 3, {"##...", ".#...", ".#...", ".#...", "##..."}}, // 71 "]" (93)
    { 3, {".....", ".#...", ".#...", "#....", "#...."}}, // 72 "/" (47)
    { 2, {"#....", "#....", ".....", ".....", "....."}}, // 73 "'" (39)
    { 4, {".....", "###..", ".....", "###..", "....."}}, // 74 "=" (61)
    { 2, {".....", "#....", ".....", "#....", "....."}}, // 75 ":" (58)
    { 5, {"..#..", ".###.", "#.#..", ".###.", "..#.."}}, // 76 "$" (36)
    { 4, {"##...", "..#..", ".#...", ".....", ".#..."}}, // 77 "?" (63)
    { 2, {"#....", "#....", "#....", ".....", "#...."}}, // 78 "!" (33)
    { 6, {"..#..", "####.", "....#", "####.", "..#.."}}, // 79 "}" (125)
    { 6, {"#...#", ".#.#.", "..#..", ".#.#.", "#...#"}}, // 80 "*" (42)
};
static_assert(sizeof(GlyphPatterns) / sizeof(GlyphPatterns[0]) == FontGlyphs,
              "one pattern per character of the font");

constexpr bool PatternsAreWellFormed()
{
    for (const GlyphPattern& glyph : GlyphPatterns)
    {
        for (const char* row : glyph.rows)
        {
            for (int c = 0; c < 5; c++)
            {
                if (row[c] != '#' && row[c] != '.')
                {
                    return false;
                }
            }
            if (row[5] != '\0')
            {
                return false;
            }
        }
    }
    return true;
}
static_assert(PatternsAreWellFormed(), "every glyph row is five of '#' and '.'");

struct GlyphTables
{
    int32_t widths[FontGlyphs];
    uint8_t bitmap[FontGlyphs * GlyphCellBytes];
};

constexpr GlyphTables BuildGlyphTables()
{
    GlyphTables tables{};
    for (int k = 0; k < FontGlyphs; k++)
    {
        tables.widths[k] = GlyphPatterns[k].width;
        for (int r = 0; r < 5; r++)
        {
            for (int c = 0; c < 5; c++)
            {
                tables.bitmap[k * GlyphCellBytes + r * 5 + c] = GlyphPatterns[k].rows[r][c] == '#' ? 1 : 0;
            }
        }
    }
    return tables;
}
constexpr GlyphTables Glyphs = BuildGlyphTables();

// Glyph number of a character, or -1 when the font has no such character.
// A plain scan: texts are short and the set is 81 characters.
int GlyphIndex(char ch)
{
    for (int k = 0; k < FontGlyphs; k++)
    {
        if (FontCharset[k] == ch)
        {
            return k;
        }
    }
    return -1;
}

// Fills the part of the square [x0, x0 + size) x [y0, y0 + size) that lies on
// the screen. 64-bit bounds so that far-off pens cannot overflow.
void FillSquareClipped(int64_t x0, int64_t y0, int64_t size, int8_t index)
{
    int64_t xBegin = x0 < 0 ? 0 : x0;
    int64_t yBegin = y0 < 0 ? 0 : y0;
    int64_t xEnd = x0 + size > ScreenWidth ? ScreenWidth : x0 + size;
    int64_t yEnd = y0 + size > ScreenHeight ? ScreenHeight : y0 + size;
    for (int64_t x = xBegin; x < xEnd; x++)
    {
        for (int64_t y = yBegin; y < yEnd; y++)
        {
            ScreenBuffer[PixelOffset(static_cast<int>(x), static_cast<int>(y))] = index;
        }
    }
}
}

//------------------------------------------------------------------------------
// Global state
//------------------------------------------------------------------------------

const char FontCharset[FontGlyphs + 1] =
    " abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789^&<>.+-[]/'=:$?!}*";
static_assert(sizeof(FontCharset) == FontGlyphs + 1, "81 characters and the terminator");

const int32_t (&GlyphWidth)[FontGlyphs] = Glyphs.widths;
const uint8_t (&GlyphBitmap)[FontGlyphs * GlyphCellBytes] = Glyphs.bitmap;

//------------------------------------------------------------------------------
// Functions
//------------------------------------------------------------------------------

int32_t TextWidth(const char* text)
{
    int32_t width = 0;
    for (const char* p = text; *p != '\0'; p++)
    {
        const int k = GlyphIndex(*p);
        if (k >= 0)
        {
            width += GlyphWidth[k];
        }
    }
    return width;
}

void DrawText(const char* text, int32_t x, int32_t y, int8_t index, int32_t scale)
{
    int64_t pen = x;
    for (const char* p = text; *p != '\0'; p++)
    {
        const int k = GlyphIndex(*p);
        if (k < 0)
        {
            continue;  // unknown characters neither draw nor advance
        }
        const int32_t width = GlyphWidth[k];
        const int32_t columns = width < 5 ? width : 5;
        const uint8_t* cells = &GlyphBitmap[k * GlyphCellBytes];
        for (int c = 0; c < columns; c++)
        {
            for (int r = 0; r < 5; r++)
            {
                if (cells[r * 5 + c] != 0)
                {
                    // Row 0 is the top of the glyph, row 4 sits on y itself.
                    FillSquareClipped(pen + int64_t{c} * scale, int64_t{y} + int64_t{4 - r} * scale, scale, index);
                }
            }
        }
        pen += int64_t{width} * scale;
    }
}
