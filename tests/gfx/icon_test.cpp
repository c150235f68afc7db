// The icon drawn from the title picture: cells in their base colours with the
// picture's transparency, the right way up, and smaller sizes that keep each
// cell's share of colour and opacity.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "gfx/icon.h"
#include "gfx/palette.h"
#include "gfx/title_picture.h"

#include <stb_image.h>  // Required for: stbi_load_from_memory()

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

// The Windows icon file read back as Windows reads it: a directory of
// entries, each pointing at a bitmap (colour rows bottom-up in BGRA, then the
// transparency mask) or, for 256 px, a PNG.
uint32_t Le(const std::vector<uint8_t>& bytes, size_t at, int width)
{
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; i--)
    {
        value = value << 8 | bytes.at(at + i);
    }
    return value;
}

TEST_F(Icon, TheWindowsIconFileHoldsEverySizeAsItsReadersExpect)
{
    for (int x = 0; x < TitlePictureSize; x++)
    {
        for (int y = 0; y < TitlePictureSize; y++)
        {
            Set(x, y, (x + y) % 3 == 0 ? 0 : (x * 7 + y) % PaletteColours + 1);
        }
    }
    const std::vector<int> sizes = {16, 20, 32, 48, 256};
    const std::vector<uint8_t> file = EncodeIconFile(sizes);
    ASSERT_GE(file.size(), 6u + 16 * sizes.size());
    EXPECT_EQ(Le(file, 0, 2), 0u);
    EXPECT_EQ(Le(file, 2, 2), 1u) << "an icon, not a cursor";
    ASSERT_EQ(Le(file, 4, 2), sizes.size());
    size_t end = 6 + 16 * sizes.size();
    for (size_t i = 0; i < sizes.size(); i++)
    {
        const int size = sizes[i];
        SCOPED_TRACE("size " + std::to_string(size));
        const size_t entry = 6 + 16 * i;
        EXPECT_EQ(file[entry], size & 0xFF) << "width (0 means 256)";
        EXPECT_EQ(file[entry + 1], size & 0xFF);
        EXPECT_EQ(Le(file, entry + 4, 2), 1u);
        EXPECT_EQ(Le(file, entry + 6, 2), 32u);
        const uint32_t length = Le(file, entry + 8, 4);
        const uint32_t offset = Le(file, entry + 12, 4);
        ASSERT_EQ(offset, end) << "images follow each other";
        ASSERT_LE(size_t(offset) + length, file.size());
        end = offset + length;

        const std::vector<uint8_t> expected = RenderIcon(size);
        std::vector<uint8_t> shown(expected.size());
        if (size == 256)
        {
            int width = 0;
            int height = 0;
            int channels = 0;
            stbi_uc* png = stbi_load_from_memory(&file[offset], static_cast<int>(length), &width, &height, &channels, 4);
            ASSERT_NE(png, nullptr);
            EXPECT_EQ(width, 256);
            EXPECT_EQ(height, 256);
            shown.assign(png, png + shown.size());
            stbi_image_free(png);
            EXPECT_TRUE(shown == expected);
            continue;
        }
        ASSERT_EQ(Le(file, offset, 4), 40u) << "a BITMAPINFOHEADER";
        EXPECT_EQ(Le(file, offset + 4, 4), uint32_t(size));
        EXPECT_EQ(Le(file, offset + 8, 4), uint32_t(size * 2)) << "colour rows and mask rows";
        EXPECT_EQ(Le(file, offset + 14, 2), 32u);
        const size_t maskRow = (size + 31) / 32 * 4;
        ASSERT_EQ(length, 40 + size_t(size) * size * 4 + maskRow * size);
        int wrong = 0;
        for (int row = 0; row < size; row++)
        {
            const size_t colours = offset + 40 + size_t(size - 1 - row) * size * 4;
            const size_t mask = offset + 40 + size_t(size) * size * 4 + (size - 1 - row) * maskRow;
            for (int column = 0; column < size; column++)
            {
                const uint8_t* bgra = &file[colours + column * 4];
                const uint8_t* rgba = &expected[(size_t(row) * size + column) * 4];
                const bool masked = (file[mask + column / 8] >> (7 - column % 8) & 1) != 0;
                wrong += bgra[0] != rgba[2] || bgra[1] != rgba[1] || bgra[2] != rgba[0] || bgra[3] != rgba[3] ||
                         masked != (rgba[3] == 0);
            }
        }
        EXPECT_EQ(wrong, 0) << "pixels that differ from the rendered icon";
    }
    EXPECT_EQ(end, file.size());

    EXPECT_TRUE(EncodeIconFile({}).empty());
    EXPECT_TRUE(EncodeIconFile({16, 257}).empty());
}
}  // namespace
