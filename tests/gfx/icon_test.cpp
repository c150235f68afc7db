// The icon drawn from the title picture: cells in their base colours with the
// picture's transparency, the right way up, and smaller sizes that keep each
// cell's share of colour and opacity. (Windows reads the icon file back in
// the Windows tests, and the window's icon is checked end to end.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "gfx/icon.h"
#include "gfx/palette.h"
#include "gfx/title_picture.h"

namespace
{
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
    struct Case
    {
        int size, column, row;
        Rgba expected;
    };
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
