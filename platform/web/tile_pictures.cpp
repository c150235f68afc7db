// Draws the seven placeable tiles as small pictures for the page's touch
// buttons, from the game's own sprites in their base colours, so that a
// button shows the tile it places and follows the art if it changes:
//
//     tile-pictures OUTDIR        OUTDIR/tile-z.png ... OUTDIR/tile-m.png
//
// Each picture is the sprite's art, top row first, every art pixel drawn as
// Scale x Scale pixels so that browsers without pixelated scaling still show
// sharp edges; colour 0 is transparent, as on the board. Runs at build time
// under node. Exits 2 on a usage error, 1 when a file cannot be written.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "game/game_title.h"
#include "game/sprites.h"
#include "gfx/palette.h"
#include "gfx/png_file.h"

namespace
{
constexpr int Scale = 4;

// The letter of each placeable tile, in tile code order (Z places code 1).
constexpr char TileLetters[] = "zxcvbnm";
static_assert(sizeof(TileLetters) - 1 == TileKinds, "one letter per placeable tile");

std::vector<uint8_t> DrawTile(int32_t code, int& side)
{
    const int size = SpriteBank[code].size;
    side = size * Scale;
    std::vector<uint8_t> rgba(static_cast<size_t>(side) * side * 4, 0);
    for (int r = 0; r < size; r++)
    {
        for (int c = 0; c < size; c++)
        {
            const int8_t index = SpritePixel(code, r, c);
            if (index == 0)
            {
                continue;
            }
            uint8_t rgb[3] = {0, 0, 0};
            if (index > 0 && index < PaletteColours)
            {
                for (int k = 0; k < 3; k++)
                {
                    // The byte the display shows for the base colour.
                    rgb[k] = static_cast<uint8_t>(std::clamp(BasePalette[index][k], 0.0f, 1.0f) * 255.0f);
                }
            }
            for (int y = r * Scale; y < (r + 1) * Scale; y++)
            {
                for (int x = c * Scale; x < (c + 1) * Scale; x++)
                {
                    uint8_t* pixel = &rgba[(static_cast<size_t>(y) * side + x) * 4];
                    pixel[0] = rgb[0];
                    pixel[1] = rgb[1];
                    pixel[2] = rgb[2];
                    pixel[3] = 255;
                }
            }
        }
    }
    return rgba;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: tile-pictures OUTDIR\n");
        return 2;
    }
    for (int32_t code = TileGroundCover; code <= TileKinds; code++)
    {
        int side = 0;
        const std::vector<uint8_t> rgba = DrawTile(code, side);
        const std::string path = std::string(argv[1]) + "/tile-" + TileLetters[code - 1] + ".png";
        std::string why;
        if (!WritePngFile(path, side, side, 4, rgba.data(), false, &why))
        {
            std::fprintf(stderr, "tile-pictures: %s: %s\n", path.c_str(), why.c_str());
            return 1;
        }
    }
    return 0;
}
