// Screenshots: "screen%d.png" in the working directory, at the window's size,
// showing exactly the picture presented last. Called on the main thread; the
// files are written by a thread of their own.
#pragma once

#include <cstdint>
#include <string>

// Number the next screenshot tries first; 0 at program start.
extern int32_t ScreenshotCounter;

// Fills out (width x height RGBA, top row first) from the used 96 x 128 block
// of the 256 x 256 display staging image, with the nearest-pixel mapping of
// the stretched quad. A null staging image (nothing presented yet) gives black.
void ScaleDisplayImage(const uint8_t* staging, int32_t width, int32_t height, uint8_t* out);

// Screenshots waiting for the writer at most; a press beyond them is dropped
// like a failed write.
constexpr uint32_t MaxPendingScreenshots = 32;

// Takes the next screenshot: names it and copies the picture at once, and
// hands the rest to the writer thread. Names taken by anything (a file, a
// link, a FIFO) are skipped, so an earlier run's screenshots are never
// overwritten; the counter advances even when writing fails. A file is
// written whole or not at all.
void SaveScreenshot(const uint8_t* staging, int32_t width, int32_t height);

// Waits until every screenshot taken so far is written (or has failed).
void FinishScreenshots();
