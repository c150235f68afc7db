// The icon drawn from the title picture: cells in their base colours with the
// picture's transparency, the right way up, and smaller sizes that keep each
// cell's share of colour and opacity.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "gfx/icon.h"
#include "gfx/palette.h"
#include "gfx/title_picture.h"

namespace
{
using Rgba = std::array<int, 4>;

Rgba At(const std::vector<uint8_t>& icon, int size, int column, int row)
{
    const uint8_t* p = &icon[(static_cast<size_t>(row) * size + column) * 4];
    return {p[0], p[1], p[2], p[3]};
}

Rgba Opaque(int8_t index)
{
    const float* rgb = BasePalette[index];
    return {int(rgb[0] * 255.0f), int(rgb[1] * 255.0f), int(rgb[2] * 255.0f), 255};
}

class Icon : public ::testing::Test
{
protected:
    void SetUp() override { std::memset(TitlePicture, 0, sizeof(TitlePicture)); }

    // Cell (x, y) of the picture, y = 0 the bottom row.
    static void Set(int x, int y, int32_t value) { TitlePicture[x][y] = value; }
};

TEST_F(Icon, AtThePicturesSizeAndItsMultiplesEachCellIsItsBaseColour)
{
    Set(0, 63, ColourLeaf);   // top left
    Set(63, 0, ColourPink);   // bottom right
    Set(1, 63, 256);          // low byte 0: drawn, in black
    Set(2, 63, -1);           // low byte 255: outside the palette, black
    Set(3, 63, ColourOrange);

    const std::vector<uint8_t> icon = RenderIcon(64);
    ASSERT_EQ(icon.size(), 64u * 64 * 4);
    EXPECT_EQ(At(icon, 64, 0, 0), Opaque(ColourLeaf));
    EXPECT_EQ(At(icon, 64, 63, 63), Opaque(ColourPink));
    EXPECT_EQ(At(icon, 64, 1, 0), Opaque(ColourBlack));
    EXPECT_EQ(At(icon, 64, 2, 0), Opaque(ColourBlack));
    EXPECT_EQ(At(icon, 64, 3, 0), Opaque(ColourOrange));
    EXPECT_EQ(At(icon, 64, 4, 0)[3], 0) << "a 0 cell is transparent";
    EXPECT_EQ(At(icon, 64, 32, 32)[3], 0);

    const std::vector<uint8_t> large = RenderIcon(256);
    EXPECT_EQ(At(large, 256, 3, 3), Opaque(ColourLeaf));
    EXPECT_EQ(At(large, 256, 12, 0), Opaque(ColourOrange));
    EXPECT_EQ(At(large, 256, 252, 255), Opaque(ColourPink));
    EXPECT_EQ(At(large, 256, 16, 0)[3], 0);
}

TEST_F(Icon, SmallerSizesAverageColourAndOpacity)
{
    // Top-left 2 x 2 block: two leaf cells and two transparent ones.
    Set(0, 63, ColourLeaf);
    Set(1, 63, ColourLeaf);
    // Next block: red and orange, all opaque.
    for (int y : {62, 63})
    {
        Set(2, y, ColourRed);
        Set(3, y, ColourOrange);
    }

    const std::vector<uint8_t> icon = RenderIcon(32);
    const Rgba leaf = Opaque(ColourLeaf);
    EXPECT_EQ(At(icon, 32, 0, 0), (Rgba{leaf[0], leaf[1], leaf[2], 128})) << "transparency does not darken";
    const Rgba red = Opaque(ColourRed);
    const Rgba orange = Opaque(ColourOrange);
    const Rgba mixed = At(icon, 32, 1, 0);
    for (int k = 0; k < 3; k++)
    {
        EXPECT_NEAR(mixed[k], (red[k] + orange[k]) / 2.0, 0.5) << "component " << k;
    }
    EXPECT_EQ(mixed[3], 255);

    // A size the picture does not divide: a uniform picture stays uniform.
    for (int x = 0; x < TitlePictureSize; x++)
    {
        for (int y = 0; y < TitlePictureSize; y++)
        {
            Set(x, y, ColourStone);
        }
    }
    const std::vector<uint8_t> odd = RenderIcon(48);
    for (int i = 0; i < 48 * 48; i++)
    {
        ASSERT_EQ(At(odd, 48, i % 48, i / 48), Opaque(ColourStone)) << "pixel " << i;
    }
}
}  // namespace
