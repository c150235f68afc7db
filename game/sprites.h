// The built-in sprite bank and the sprite blitter.
//
// 26 square indexed sprites: board tiles 0..18, the gardener 19, blight
// overlays 20..23, the creature 24 and the flyer 25. Each is a 257-byte record:
// its size n, then a 16 x 16 grid stored row by row with the top row of the art
// first (orientation 6 shows it upright on our y-up screen). Main thread only.
#pragma once

#include <cstdint>

struct SpriteRecord
{
    int8_t size;          // n: the art uses the first n rows and columns
    int8_t pixels[256];   // stored row r, column c at 16 * r + c; 0 = transparent
};
static_assert(sizeof(SpriteRecord) == 257, "a sprite record is 257 bytes");

constexpr int SpriteCount = 26;
extern const SpriteRecord SpriteBank[SpriteCount];

// Sprite numbers past the tiles (sprite n < 19 is drawn for tile code n).
constexpr int32_t SpriteGardener = 19;
constexpr int32_t SpriteBlightFirst = 20;  // four overlays, faint to rampant
constexpr int32_t SpriteBlightCount = 4;
constexpr int32_t SpriteCreature = 24;
constexpr int32_t SpriteFlyer = 25;
static_assert(SpriteFlyer == SpriteCount - 1 &&
              SpriteBlightFirst + SpriteBlightCount == SpriteCreature,
              "every sprite has its place");

// Orientation modes: 6 draws the art upright, 2 upright and mirrored.
constexpr int32_t OrientUpright = 6;
constexpr int32_t OrientMirrored = 2;

// Draws sprite `index` centred on pixel (cx, cy) in orientation `mode` (0..7;
// other values are taken modulo 8). Colour 0 is written only when `opaque`.
// Pixels off the screen are dropped; an index outside the bank draws nothing.
void drawSprite(int32_t index, int32_t cx, int32_t cy, int32_t mode, bool opaque);

// Stored value of sprite `index` at row r, column c (0 outside the grid).
inline int8_t SpritePixel(int32_t index, int32_t r, int32_t c)
{
    if (index < 0 || index >= SpriteCount || r < 0 || r > 15 || c < 0 || c > 15)
    {
        return 0;
    }
    return SpriteBank[index].pixels[16 * r + c];
}
