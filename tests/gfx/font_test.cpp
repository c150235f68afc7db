// The bitmap font: glyph shapes as they land in the ScreenBuffer, advance
// widths, unknown characters, scaling and clipping at the screen edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gfx/font.h"
#include "gfx/screen_buffer.h"

namespace
{
// The 5 x 5 cell at (x, y) as pattern rows, top row first: "#" where the
// pixel holds `index`, "." elsewhere.
std::vector<std::string> CellRows(int x, int y, int8_t index)
{
    std::vector<std::string> rows;
    for (int r = 0; r < 5; r++)
    {
        std::string row;
        for (int c = 0; c < 5; c++)
        {
            row += ScreenBuffer[PixelOffset(x + c, y + 4 - r)] == index ? '#' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

int CountPixels(int8_t index)
{
    return static_cast<int>(std::count(std::begin(ScreenBuffer), std::end(ScreenBuffer), index));
}

struct GlyphCase
{
    const char* text;
    std::vector<std::string> rows;  // what shows, columns past the width blank
};
}

TEST(Font, DrawsGlyphsAsTheirPatternsWithRowZeroOnTop)
{
    // Typed in from the font sheet independently of the table in the source,
    // with the columns a narrow glyph does not draw blanked out.
    const GlyphCase cases[] = {
        {"m", {".#.#.", "#.#.#", "#.#.#", "#.#.#", "#...#"}},
        // Width 4: the set fifth column of the pattern is not drawn.
        {"A", {".###.", "#....", "####.", ".....", "#.##."}},
        // Width 1: only the first column shows.
        {"D", {"#....", "#....", "#....", ".....", "....."}},
    };
    for (const GlyphCase& glyph : cases)
    {
        ClearScreenBuffer();
        DrawText(glyph.text, 40, 30, 5, 1);
        EXPECT_EQ(CellRows(40, 30, 5), glyph.rows) << "glyph " << glyph.text;
    }
}

TEST(DrawText, EachCharacterLandsWhereTheWidthOfTheTextBeforeItEnds)
{
    // Narrow "i", wide "m" and "w", a space, and characters outside the font
    // that neither draw nor advance; empty cells leave the background alone
    // and the index is written unchanged, even a negative one.
    const std::string text = "imw i%a,\x80\tb\x7f";
    std::fill(ScreenBuffer, ScreenBuffer + ScreenPixels, int8_t{7});
    DrawText(text.c_str(), 3, 20, -1, 1);
    std::vector<int8_t> drawn(ScreenBuffer, ScreenBuffer + ScreenPixels);
    std::fill(ScreenBuffer, ScreenBuffer + ScreenPixels, int8_t{7});
    for (size_t k = 0; k < text.size(); k++)
    {
        DrawText(text.substr(k, 1).c_str(), 3 + TextWidth(text.substr(0, k).c_str()), 20, -1, 1);
    }
    EXPECT_EQ(std::vector<int8_t>(ScreenBuffer, ScreenBuffer + ScreenPixels), drawn);
    EXPECT_EQ(TextWidth("larkspurhollows"), 59);
    // i 5, m 13, w 12, space nothing, i 5, a 10, b 10.
    EXPECT_EQ(CountPixels(-1), 5 + 13 + 12 + 5 + 10 + 10);
    EXPECT_EQ(ScreenBuffer[PixelOffset(21, 20)], -1);  // the second i, after a 4-pixel space
}

TEST(DrawText, ScaleTwoTurnsEachCellIntoATwoByTwoBlockAndDoublesTheAdvance)
{
    ClearScreenBuffer();
    DrawText("aw", 0, 0, 9, 1);
    const std::vector<int8_t> small(ScreenBuffer, ScreenBuffer + ScreenPixels);
    ClearScreenBuffer();
    DrawText("aw", 10, 20, 9, 2);
    for (int x = 0; x < ScreenWidth; x++)
    {
        for (int y = 0; y < ScreenHeight; y++)
        {
            const int8_t expected = x >= 10 && y >= 20 ? small[PixelOffset((x - 10) / 2, (y - 20) / 2)] : 0;
            ASSERT_EQ(ScreenBuffer[PixelOffset(x, y)], expected) << x << "," << y;
        }
    }
}

TEST(DrawText, ClipsAtEveryEdgePixelByPixelAndContinuesPastTheLeftOne)
{
    ClearScreenBuffer();
    // "e": ###.. / #.... / ##... / #.... / ###.. ; rows 4, 3, 2 land on 93..95.
    DrawText("e", 60, 93, 8, 1);
    EXPECT_EQ(CellRows(60, 91, 8), (std::vector<std::string>{"##...", "#....", "###..", ".....", "....."}));
    EXPECT_EQ(CountPixels(8), 3 + 1 + 2);

    // "m" at x = -2 keeps its columns 2..4 on x 0..2; "i" follows at x = 4.
    DrawText("mi", -2, 40, 2, 1);
    EXPECT_EQ(CellRows(0, 40, 2), (std::vector<std::string>{".#..#", "#.#.#", "#.#.#", "#.#.#", "..#.#"}));
    EXPECT_EQ(CountPixels(2), 8 + 5);

    // Far-off pens and huge scales draw nothing and do not overflow.
    ClearScreenBuffer();
    DrawText("*", -1000000, 1000000, 1, 1000);
    DrawText("**", 2000000000, 0, 1, 2000000000);
    EXPECT_EQ(CountPixels(1), 0);
}
