// Screenshots: scaling the last presented picture to the window's size and
// writing it as a PNG. Main thread only.
//
// The picture comes from the display staging image rather than from reading
// back the front buffer: many drivers and compositors return black for the
// front buffer, while the staging image holds exactly the colours the last
// frame showed until the next frame is composed.
#include "app/screenshot.h"

#include <cstdio>
#include <vector>

#include "gfx/display_image.h"
#include "gfx/file_io.h"
#include "gfx/png_file.h"
#include "gfx/screen_buffer.h"

// ---------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------

int32_t ScreenshotCounter = 0;

// ---------------------------------------------------------------------------
// Scaling
// ---------------------------------------------------------------------------

namespace
{
// The framebuffer pixel whose texel covers the centre of window pixel p of n
// along an axis spanning `pixels` framebuffer pixels: floor((p + 0.5) * pixels / n),
// in integers so that it is exact at every size.
int32_t SourceIndex(int32_t p, int32_t n, int32_t pixels)
{
    return static_cast<int32_t>((2 * static_cast<int64_t>(p) + 1) * pixels / (2 * static_cast<int64_t>(n)));
}
}

void ScaleDisplayImage(const uint8_t* staging, int32_t width, int32_t height, uint8_t* out)
{
    std::vector<int32_t> columnOffset(width);
    for (int32_t px = 0; px < width; px++)
    {
        // Framebuffer x is texel row t of the staging image.
        columnOffset[px] = DisplayTexelOffset(SourceIndex(px, width, ScreenWidth), 0);
    }
    for (int32_t row = 0; row < height; row++)
    {
        // Image rows run top first; window rows and framebuffer y run upward.
        int32_t y = SourceIndex(height - 1 - row, height, ScreenHeight);
        uint8_t* dst = out + static_cast<size_t>(row) * width * 4;
        for (int32_t px = 0; px < width; px++, dst += 4)
        {
            if (staging)
            {
                const uint8_t* texel = staging + columnOffset[px] + y * 4;
                dst[0] = texel[0];
                dst[1] = texel[1];
                dst[2] = texel[2];
                dst[3] = texel[3];
            }
            else
            {
                dst[0] = dst[1] = dst[2] = 0;
                dst[3] = 255;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

namespace
{
std::string ScreenshotName(int32_t number)
{
    char name[32];
    std::snprintf(name, sizeof(name), "screen%d.png", number);
    return name;
}
}

void SaveScreenshot(const uint8_t* staging, int32_t width, int32_t height)
{
    // Whatever has the name keeps it: a file, a link (even a dangling one) or
    // a FIFO, which is never opened.
    while (NameTaken(ScreenshotName(ScreenshotCounter).c_str()))
    {
        ScreenshotCounter++;
    }
    if (width > 0 && height > 0)
    {
        std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
        ScaleDisplayImage(staging, width, height, pixels.data());
        WritePngFile(ScreenshotName(ScreenshotCounter), width, height, 4, pixels.data(), true);
    }
    ScreenshotCounter++;
}
