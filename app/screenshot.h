// Screenshots: "screen%d.png" in the working directory (or, when that cannot
// take them, in the player's pictures folder), at the window's size, showing
// exactly the picture presented last. Called on the main thread; the files
// are written by a thread of their own.
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
// like a failed write, and said so.
constexpr uint32_t MaxPendingScreenshots = 32;

// Takes the next screenshot: numbers it and copies the picture at once, and
// hands the rest to the writer thread. Names taken by anything (a file, a
// link, a FIFO), now or by the time the file is published, are skipped, so
// no screenshot is ever overwritten, also not another game's saving into the
// same folder at the same moment; the counter advances even when writing
// fails. A file is written whole or not at all, and a picture that cannot be
// written anywhere is reported on stderr.
void SaveScreenshot(const uint8_t* staging, int32_t width, int32_t height);

// Waits until every screenshot taken so far is written (or has failed). Call
// it after the window is gone: the player need not watch the writing.
void FinishScreenshots();
