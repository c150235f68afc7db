// The headless half of presentation: converting the ScreenBuffer through the
// live palette into the display texture's staging image. The GL side uploads
// the finished image. Main thread only.
#pragma once

#include <cstdint>

// The staging image is DisplayTextureSize x DisplayTextureSize texels of four
// bytes (R, G, B, A) in GL row order: texel (s, t) at byte (t * 256 + s) * 4.
// The ScreenBuffer is stored transposed, pixel (x, y) at texel s = y, t = x,
// so the used block is 96 texels wide and 128 rows high at the origin.
constexpr int DisplayTextureSize = 256;
constexpr int DisplayImageBytes = DisplayTextureSize * DisplayTextureSize * 4;

// Byte offset of pixel (x, y)'s texel in the staging image.
inline int DisplayTexelOffset(int x, int y)
{
    return (x * DisplayTextureSize + y) * 4;
}

// Start-up: random opaque noise in every texel, rand() % 255 for R, G and B in
// texel order, alpha 255 (never written again).
void InitDisplayImage(uint8_t* staging);

// Writes the R, G, B bytes of the used block from the ScreenBuffer through the
// live palette (variant = y mod 2); alpha bytes are left alone.
void FillDisplayImage(uint8_t* staging);

// The same conversion one PixelColour call per pixel: the reference the
// table-driven FillDisplayImage is checked against.
void FillDisplayImagePlain(uint8_t* staging);
