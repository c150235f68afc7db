// The icon renderer. Used at build time by the icon tool; the game itself
// never draws it.
#include "gfx/icon.h"

#include <algorithm>
#include <cmath>

#include "gfx/palette.h"
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
