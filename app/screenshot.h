// Screenshots: "screen%d.png" in the working directory, at the window's size,
// showing exactly the picture presented last. Main thread only.
#pragma once

#include <cstdint>
#include <string>

// Number the next screenshot tries first; 0 at program start.
extern int32_t ScreenshotCounter;

// Fills out (width x height RGBA, top row first) from the used 96 x 128 block
// of the 256 x 256 display staging image, with the nearest-pixel mapping of
// the stretched quad. A null staging image (nothing presented yet) gives black.
void ScaleDisplayImage(const uint8_t* staging, int32_t width, int32_t height, uint8_t* out);

// Saves the next screenshot. Numbers whose file already exists are skipped, so
// an earlier run's screenshots are never overwritten; the counter advances
// even when writing fails.
void SaveScreenshot(const uint8_t* staging, int32_t width, int32_t height);
