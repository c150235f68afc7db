// The bitmap font: a stored picture of glyph shapes, advance widths, unknown
// characters, scaling and clipping at the screen edges.
#include <gtest/gtest.h>

#include <algorithm>

#include "gfx/font.h"
#include "gfx/screen_buffer.h"
#include "tests/digest.h"

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
    // And an "A", 4 wide, whose pattern sets a fifth column that must not be drawn.
    DrawText("A", 40, 50, 5, 1);
    EXPECT_EQ(Digest(ScreenBuffer, sizeof ScreenBuffer), 76134288u);
    EXPECT_EQ(std::count(std::begin(ScreenBuffer), std::end(ScreenBuffer), 1), 0);
    EXPECT_EQ(TextWidth("larkspurhollows"), 59);
}
