// The bitmap font: glyph shapes as they land in the ScreenBuffer, and a
// stored picture of advance widths, unknown characters, scaling and clipping
// at the screen edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gfx/font.h"
#include "gfx/screen_buffer.h"
#include "tests/digest.h"

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
}

TEST(Font, DrawsGlyphsWithRowZeroOnTopAndOnlyTheirWidthOfColumns)
{
    // "A" is 4 wide: the set fifth column of its pattern is not drawn.
    ClearScreenBuffer();
    DrawText("A", 40, 30, 5, 1);
    EXPECT_EQ(CellRows(40, 30, 5), (std::vector<std::string>{".###.", "#....", "####.", ".....", "#.##."}));
}

TEST(DrawText, GivesTheStoredPixelsForAdvancesScalesAndEveryEdge)
{
    // Narrow "i", wide "m" and "w", a space and characters outside the font
    // (which neither draw nor advance), in a negative index over a filled
    // screen; then double size; then cut by each edge; then pens so far off
    // and scales so large that nothing may draw and nothing may overflow.
    std::fill(ScreenBuffer, ScreenBuffer + ScreenPixels, int8_t{7});
    DrawText("imw i%a,\x80\tb\x7f", 3, 20, -1, 1);
    DrawText("aw", 10, 30, 9, 2);
    DrawText("e", 60, 93, 8, 1);
    DrawText("mi", -2, 40, 2, 1);
    DrawText("zx", 125, -3, 3, 1);
    DrawText("*", -1000000, 1000000, 1, 1000);
    DrawText("**", 2000000000, 0, 1, 2000000000);
    const uint32_t digest = Digest(ScreenBuffer, sizeof ScreenBuffer);
    EXPECT_EQ(digest, 2176957614u) << digest;
    EXPECT_EQ(CountPixels(1), 0);
    EXPECT_EQ(TextWidth("larkspurhollows"), 59);
}
