// The game's icon: its title picture through the base palette, so the icon
// is the game's own art and follows the data it ships with.
#pragma once

#include <cstdint>
#include <vector>

// size x size RGBA pixels, top row first, of the current TitlePicture. Cells
// holding 0 are transparent, as on the title screen; other values show the
// base colour of their low byte (black outside the palette). Each icon pixel
// averages the cells it covers, weighted by coverage and opacity, so sizes
// that are multiples of the picture's repeat its cells exactly and smaller
// sizes keep every cell's share of colour.
std::vector<uint8_t> RenderIcon(int size);

// A Windows icon file (.ico) holding RenderIcon at each of `sizes` (1 to 256,
// in the order given): the 256 px entry PNG-compressed, as Windows reads it
// from Vista on, the smaller ones as 32-bit bitmaps with their transparency
// mask, which every reader understands. Empty when a size is out of range.
std::vector<uint8_t> EncodeIconFile(const std::vector<int>& sizes);
