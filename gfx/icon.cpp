// The icon renderer. Used at build time by the icon tool; the game itself
// never draws it.
#include "gfx/icon.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "gfx/palette.h"
#include "gfx/png_file.h"
#include "gfx/title_picture.h"

namespace
{
struct Cell
{
    double rgb[3];
    double alpha;  // 0 or 1
};

// A picture cell as the title screen shows it in the base colours; the row
// counts from the top, as image rows do.
Cell PictureCell(int column, int rowFromTop)
{
    const int32_t value = TitlePicture[column][TitlePictureSize - 1 - rowFromTop];
    Cell cell = {{0.0, 0.0, 0.0}, value != 0 ? 1.0 : 0.0};
    const int8_t index = static_cast<int8_t>(static_cast<uint8_t>(value & 0xFF));
    if (value != 0 && index >= 0 && index < PaletteColours)
    {
        for (int k = 0; k < 3; k++)
        {
            // The byte the display shows for the base colour.
            const float component = std::clamp(BasePalette[index][k], 0.0f, 1.0f);
            cell.rgb[k] = static_cast<uint8_t>(component * 255.0f);
        }
    }
    return cell;
}

// How much of cell c (of unit width) the span [from, to) covers.
double Overlap(int c, double from, double to)
{
    return std::max(0.0, std::min(to, c + 1.0) - std::max(from, static_cast<double>(c)));
}

uint8_t Byte(double value)
{
    return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}
}  // namespace

std::vector<uint8_t> RenderIcon(int size)
{
    std::vector<uint8_t> rgba(static_cast<size_t>(std::max(size, 0)) * std::max(size, 0) * 4);
    const double scale = static_cast<double>(TitlePictureSize) / size;
    for (int row = 0; row < size; row++)
    {
        const double top = row * scale;
        const double bottom = (row + 1) * scale;
        for (int column = 0; column < size; column++)
        {
            const double left = column * scale;
            const double right = (column + 1) * scale;
            double colour[3] = {0.0, 0.0, 0.0};
            double opacity = 0.0;
            double area = 0.0;
            for (int y = static_cast<int>(top); y < TitlePictureSize && y < bottom; y++)
            {
                for (int x = static_cast<int>(left); x < TitlePictureSize && x < right; x++)
                {
                    const double weight = Overlap(x, left, right) * Overlap(y, top, bottom);
                    const Cell cell = PictureCell(x, y);
                    for (int k = 0; k < 3; k++)
                    {
                        colour[k] += weight * cell.alpha * cell.rgb[k];
                    }
                    opacity += weight * cell.alpha;
                    area += weight;
                }
            }
            uint8_t* out = &rgba[(static_cast<size_t>(row) * size + column) * 4];
            for (int k = 0; k < 3; k++)
            {
                out[k] = opacity > 0.0 ? Byte(colour[k] / opacity) : 0;
            }
            out[3] = area > 0.0 ? Byte(255.0 * opacity / area) : 0;
        }
    }
    return rgba;
}

// ---------------------------------------------------------------------------
// Icon files
// ---------------------------------------------------------------------------

namespace
{
void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// The icon bitmap of one size: a BITMAPINFOHEADER whose height counts both
// masks, the colour rows bottom-up in BGRA, then the 1-bit mask (set where
// the icon is fully transparent), each row padded to 32 bits.
std::vector<uint8_t> IconBitmap(const std::vector<uint8_t>& rgba, int size)
{
    const uint32_t maskRow = (static_cast<uint32_t>(size) + 31) / 32 * 4;
    const uint32_t imageBytes = static_cast<uint32_t>(size * size * 4) + maskRow * size;
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(size));
    Put32(out, static_cast<uint32_t>(size * 2));
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, 0);   // uncompressed
    Put32(out, imageBytes);
    for (int field = 0; field < 4; field++)
    {
        Put32(out, 0);  // resolution and colour counts: unused
    }
    for (int row = size - 1; row >= 0; row--)
    {
        for (int column = 0; column < size; column++)
        {
            const uint8_t* p = &rgba[(static_cast<size_t>(row) * size + column) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    for (int row = size - 1; row >= 0; row--)
    {
        std::vector<uint8_t> mask(maskRow, 0);
        for (int column = 0; column < size; column++)
        {
            if (rgba[(static_cast<size_t>(row) * size + column) * 4 + 3] == 0)
            {
                mask[column / 8] |= static_cast<uint8_t>(0x80 >> (column % 8));
            }
        }
        out.insert(out.end(), mask.begin(), mask.end());
    }
    return out;
}
}  // namespace

std::vector<uint8_t> EncodeIconFile(const std::vector<int>& sizes)
{
    if (sizes.empty() || sizes.size() > 0xFFFF)
    {
        return {};
    }
    std::vector<std::vector<uint8_t>> images;
    for (int size : sizes)
    {
        if (size < 1 || size > 256)
        {
            return {};
        }
        const std::vector<uint8_t> rgba = RenderIcon(size);
        std::vector<uint8_t> image;
        if (size < 256)
        {
            image = IconBitmap(rgba, size);
        }
        else if (!EncodePng(size, size, 4, rgba.data(), image))
        {
            return {};
        }
        images.push_back(std::move(image));
    }

    // The directory, then each image where its entry says.
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // an icon, not a cursor
    Put16(out, static_cast<uint32_t>(sizes.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * sizes.size());
    for (size_t i = 0; i < sizes.size(); i++)
    {
        out.push_back(static_cast<uint8_t>(sizes[i] & 0xFF));  // 256 is written as 0
        out.push_back(static_cast<uint8_t>(sizes[i] & 0xFF));
        out.push_back(0);  // no palette
        out.push_back(0);
        Put16(out, 1);   // planes
        Put16(out, 32);  // bits per pixel
        Put32(out, static_cast<uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::vector<uint8_t>& image : images)
    {
        out.insert(out.end(), image.begin(), image.end());
    }
    return out;
}
