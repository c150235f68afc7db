// The OpenGL half of presentation: the display texture, the stretched quad and
// one frame's upload and draw. Main thread only.
#pragma once

#include <cstdint>

#include "gfx/display_image.h"

// The 256 x 256 RGBA staging image the ScreenBuffer is converted into. Between
// frames its used block holds exactly the colours on the screen.
extern uint8_t DisplayStaging[DisplayImageBytes];

// Display start-up for a window of width x height pixels: GL state and
// projection, the display texture filled with noise, the quad and the palettes.
void StartDisplay(int32_t width, int32_t height);

// Converts the ScreenBuffer as drawn, uploads it and draws the quad into the
// back buffer; the window's owner swaps it to the screen.
void PresentFrame();
