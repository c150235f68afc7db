// Text and the title screen as they land in the ScreenBuffer, against stored
// pictures: the bitmap font's glyph shapes, advance widths, unknown
// characters, scaling and clipping at the screen edges; the title, picture,
// key help, subtitle and the blinking prompt, each drawn over what came before.
// The title picture read (where the numbers land, how reading stops) and the
// icon drawn from it: base colours with the picture's transparency, the right
// way up, and smaller sizes keeping each cell's share of colour and opacity.
// (The Windows tests read the icon file back; the window's is checked end to end.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "gfx/font.h"
#include "gfx/icon.h"
#include "gfx/palette.h"
#include "gfx/screen_buffer.h"
#include "gfx/title_picture.h"
#include "gfx/title_screen.h"
#include "tests/digest.h"

TEST(TitleScreen, GivesTheStoredPictureInBothPhasesOfThePrompt)
{
    // Every kind of cell: transparent 0, colours, -1 (black), and values
    // whose low byte is 0 (colour 0 over what lies below) or a colour.
    const int32_t cells[] = {0, 3, -1, 256, 263, 9, 0, 1, 5};
    for (int x = 0; x < TitlePictureSize; x++)
    {
        for (int y = 0; y < TitlePictureSize; y++)
        {
            TitlePicture[x][y] = cells[(x * 7 + y * 3) % 9];
        }
    }
    uint32_t digest = DigestStart;
    // 0..5 in blue, 6..9 in purple, and round again.
    for (uint32_t frame : {0u, 5u, 6u, 9u, 10u})
    {
        FrameCounter = frame;
        // Red below, so what is left transparent shows.
        std::fill(std::begin(ScreenBuffer), std::end(ScreenBuffer), ColourRed);
        DrawTitleScreen();
        const int8_t prompt = ScreenBuffer[PixelOffset(55, 6)];  // the "s" of "start"
        EXPECT_EQ(prompt, frame % 10 <= 5 ? ColourBlue : ColourPurple) << "frame " << frame;
        digest = Digest(ScreenBuffer, sizeof ScreenBuffer, digest);
    }
    EXPECT_EQ(digest, 2629392379u) << digest;
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
    // And an "A", 4 wide, whose pattern sets a fifth column that must not be drawn.
    DrawText("A", 40, 50, 5, 1);
    EXPECT_EQ(Digest(ScreenBuffer, sizeof ScreenBuffer), 76134288u);
    EXPECT_EQ(TextWidth("larkspurhollows"), 59);
}

namespace
{
std::string Numbers(int count, int value)
{
    std::string text;
    while (count-- > 0)
    {
        text += std::to_string(value) + " ";
    }
    return text;
}

int CountNonZero()
{
    const int32_t* cells = &TitlePicture[0][0];
    return static_cast<int>(4096 - std::count(cells, cells + 4096, 0));
}

using Rgba = std::array<double, 4>;

Rgba At(const std::vector<uint8_t>& icon, int size, int column, int row)
{
    const uint8_t* p = &icon[(static_cast<size_t>(row) * size + column) * 4];
    return {double(p[0]), double(p[1]), double(p[2]), double(p[3])};
}

Rgba Opaque(int8_t index, int alpha = 255)
{
    const float* rgb = BasePalette[index];
    return {double(int(rgb[0] * 255.0f)), double(int(rgb[1] * 255.0f)), double(int(rgb[2] * 255.0f)), double(alpha)};
}
}  // namespace

TEST(TitlePicture, NumbersFillRowsFromTheBottomUntilTheFirstNonNumberOrTheFullGridAndAMissingFileClearsIt)
{
    // The text -> one cell (x, y) and its value, and how many cells are not
    // transparent afterwards.
    struct Case { std::string text; int x, y; int32_t value; int nonZero; };
    const Case cases[] = {
        {Numbers(64, 4) + "\n-6 - 8", 0, 1, -6, 65},                 // a sign on its own ends reading
        {Numbers(4095, 1) + "2 3 4", 63, 63, 2, 4096},               // only the first 4096 numbers are read
        {"5 2147483648 9", 0, 0, 5, 1},                              // too large for 32 bits: ends reading
        {"2147483647 -2147483648 -2147483649 1", 1, 0, INT32_MIN, 2},
    };
    for (const Case& c : cases)
    {
        std::istringstream in(c.text);
        ReadTitlePicture(in);
        EXPECT_EQ(TitlePicture[c.x][c.y], c.value) << c.text.substr(0, 40);
        EXPECT_EQ(CountNonZero(), c.nonZero) << c.text.substr(0, 40);
    }
    ReadTitlePictureFile(MIRELANTHA_BINARY_DIR "/no_such_data_folder");
    EXPECT_EQ(CountNonZero(), 0) << "an earlier picture stays after a missing file";
}

TEST(Icon, CellsShowTheirBaseColoursAtMultiplesOfThePictureAndSmallerSizesAverageColourAndOpacity)
{
    // Cell (x, y) of the picture, y = 0 the bottom row: the top left, the
    // bottom right, low bytes 0 (black) and 255 (outside the palette, black),
    // then a block of red beside orange and one of leaf beside nothing.
    std::memset(TitlePicture, 0, sizeof(TitlePicture));
    for (auto [x, y, value] : {std::array{0, 63, int(ColourLeaf)}, {63, 0, ColourPink}, {1, 63, 256}, {2, 63, -1},
                               {3, 63, ColourOrange}, {4, 62, ColourRed}, {4, 63, ColourRed}, {5, 62, ColourOrange},
                               {5, 63, ColourOrange}, {6, 63, ColourLeaf}, {7, 63, ColourLeaf}})
    {
        TitlePicture[x][y] = value;
    }
    struct Case { int size, column, row; Rgba expected; };
    const Rgba red = Opaque(ColourRed);
    const Rgba orange = Opaque(ColourOrange);
    const Case cases[] = {
        {64, 0, 0, Opaque(ColourLeaf)},    {64, 63, 63, Opaque(ColourPink)}, {64, 1, 0, Opaque(ColourBlack)},
        {64, 2, 0, Opaque(ColourBlack)},   {64, 3, 0, Opaque(ColourOrange)}, {64, 32, 32, {0, 0, 0, 0}},
        {256, 3, 3, Opaque(ColourLeaf)},   {256, 12, 0, Opaque(ColourOrange)}, {256, 252, 255, Opaque(ColourPink)},
        {256, 33, 0, {0, 0, 0, 0}},
        // Half the block transparent: half opaque, and no darker.
        {32, 3, 0, Opaque(ColourLeaf, 128)},
        {32, 2, 0, {(red[0] + orange[0]) / 2, (red[1] + orange[1]) / 2, (red[2] + orange[2]) / 2, 255.0}},
    };
    for (const Case& c : cases)
    {
        const Rgba shown = At(RenderIcon(c.size), c.size, c.column, c.row);
        for (int k = c.expected[3] == 0 ? 3 : 0; k < 4; k++)  // a transparent pixel has no colour
        {
            EXPECT_NEAR(shown[k], c.expected[k], 0.5)
                << "size " << c.size << " at (" << c.column << ", " << c.row << "), component " << k;
        }
    }

    // A size the picture does not divide: a uniform picture stays uniform.
    std::fill_n(&TitlePicture[0][0], TitlePictureSize * TitlePictureSize, int32_t{ColourStone});
    const std::vector<uint8_t> odd = RenderIcon(48);
    for (int i = 0; i < 48 * 48; i++)
    {
        ASSERT_EQ(At(odd, 48, i % 48, i / 48), Opaque(ColourStone)) << "pixel " << i;
    }
}
