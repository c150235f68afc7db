// Screenshots: scaling the last presented picture to the window's size and
// writing it as a PNG.
//
// A press only names the file and copies the small display staging image;
// stretching it to the window and encoding the PNG, which takes most of a
// second at 4096 x 2160, run on a writer thread so the game never stalls.
// The writer is started on demand and ends when nothing is pending. The
// main thread fills a slot of the pending ring and publishes it through
// PendingQueued; the writer frees it through PendingTaken.
//
// The picture comes from the display staging image rather than from reading
// back the front buffer: many drivers and compositors return black for the
// front buffer, while the staging image holds exactly the colours the last
// frame showed until the next frame is composed.
#include "app/screenshot.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/threads.h"
#include "gfx/display_image.h"
#include "platform/file_io.h"
#include "gfx/png_file.h"
#include "gfx/screen_buffer.h"
#include "platform/pictures_folder.h"

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
// Names a screenshot tries before it gives up on a folder.
constexpr int64_t MaxNameTries = 100000;

std::string ScreenshotName(int64_t number)
{
    char name[32];
    std::snprintf(name, sizeof(name), "screen%lld.png", static_cast<long long>(number));
    return name;
}

std::string InFolder(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : folder + "/" + name;
}

struct PendingScreenshot
{
    std::vector<uint8_t> staging;  // a copy of the display staging image
    bool presented;                // false: nothing was presented yet (black)
    int32_t width;
    int32_t height;
    int32_t number;                // the first number to try
};

PendingScreenshot Pending[MaxPendingScreenshots];
std::atomic<uint32_t> PendingQueued{0};  // written by the main thread
std::atomic<uint32_t> PendingTaken{0};   // written by the writer
// True from the main thread's start of a writer until the writer finds
// nothing left; whoever turns it on owns the pending work.
std::atomic<bool> WriterRunning{false};
ThreadHandle* Writer = nullptr;  // main thread
// The player was told that screenshots go to the pictures folder.
std::atomic<bool> ToldOfPicturesFolder{false};

// Publishes the PNG under the first free "screen%d.png" of `folder` (empty:
// the working folder) from `number` on. The number is taken by publishing
// under it, never by looking first, so another game saving into the same
// folder at the same moment makes this one move on to the next number
// instead of losing its picture.
bool PublishNumbered(const std::string& folder, int64_t number, const std::vector<uint8_t>& png,
                     std::string& why)
{
    NewFile file;
    if (!file.open(InFolder(folder, ScreenshotName(number)), true) || !file.write(png.data(), png.size()))
    {
        why = file.failure();
        return false;
    }
    for (int64_t tries = 0; tries < MaxNameTries && number <= INT32_MAX; tries++, number++)
    {
        switch (file.claim(InFolder(folder, ScreenshotName(number))))
        {
        case NewFile::Claim::Published:
            return true;
        case NewFile::Claim::NameTaken:
            continue;
        case NewFile::Claim::Failed:
            why = file.failure();
            return false;
        }
    }
    why = "no free name";
    return false;
}

// The working folder first; when it cannot take the picture (read-only, full,
// gone), the player's pictures folder; when neither can, a message naming
// what was tried. A picture is never lost without a word.
void WritePending(const PendingScreenshot& shot)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(shot.width) * shot.height * 4);
    ScaleDisplayImage(shot.presented ? shot.staging.data() : nullptr, shot.width, shot.height, pixels.data());
    std::vector<uint8_t> png;
    const std::string name = ScreenshotName(shot.number);
    if (!EncodePng(shot.width, shot.height, 4, pixels.data(), png))
    {
        std::fprintf(stderr, "mirelantha: screenshot %s not saved: cannot encode the picture\n", name.c_str());
        return;
    }
    std::string whyHere;
    if (PublishNumbered("", shot.number, png, whyHere))
    {
        return;
    }
    const std::string pictures = PicturesFolder();
    std::string whyThere = "no pictures folder";
    if (!pictures.empty() && PublishNumbered(pictures, shot.number, png, whyThere))
    {
        if (!ToldOfPicturesFolder.exchange(true))
        {
            std::fprintf(stderr, "mirelantha: cannot save screenshots in the working folder (%s); saving them in %s\n",
                         whyHere.c_str(), pictures.c_str());
        }
        return;
    }
    std::fprintf(stderr, "mirelantha: screenshot not saved: %s: %s; %s: %s\n", name.c_str(), whyHere.c_str(),
                 pictures.empty() ? "pictures folder" : InFolder(pictures, name).c_str(), whyThere.c_str());
}

void WritePendingScreenshots()
{
    for (;;)
    {
        uint32_t taken = PendingTaken.load(std::memory_order_relaxed);
        while (taken != PendingQueued.load(std::memory_order_acquire))
        {
            WritePending(Pending[taken % MaxPendingScreenshots]);
            PendingTaken.store(++taken, std::memory_order_release);
        }
        // A press between the last look and this store starts a new writer;
        // one just before it must be seen by the look after it.
        WriterRunning.store(false);
        if (PendingQueued.load() == taken || WriterRunning.exchange(true))
        {
            return;
        }
    }
}
}  // namespace

void SaveScreenshot(const uint8_t* staging, int32_t width, int32_t height)
{
    // Whatever has the name keeps it: a file, a link (even a dangling one) or
    // a FIFO, which is never opened. This only picks the number to try first:
    // the writer takes the number when it publishes.
    while (ScreenshotCounter < INT32_MAX && NameTaken(ScreenshotName(ScreenshotCounter).c_str()))
    {
        ScreenshotCounter++;
    }
    uint32_t queued = PendingQueued.load(std::memory_order_relaxed);
    bool room = queued - PendingTaken.load(std::memory_order_acquire) < MaxPendingScreenshots;
    if (width > 0 && height > 0 && room)
    {
        PendingScreenshot& shot = Pending[queued % MaxPendingScreenshots];
        shot.staging.resize(DisplayImageBytes);
        if (staging)
        {
            std::memcpy(shot.staging.data(), staging, DisplayImageBytes);
        }
        shot.presented = staging != nullptr;
        shot.width = width;
        shot.height = height;
        shot.number = ScreenshotCounter;
        PendingQueued.store(queued + 1);
        if (!WriterRunning.exchange(true))
        {
            JoinThread(Writer);
            Writer = StartThread(WritePendingScreenshots);
            if (!Writer)
            {
                WritePendingScreenshots();  // no thread to be had: write it now
            }
        }
    }
    else
    {
        std::fprintf(stderr, "mirelantha: screenshot %s not saved: %s\n", ScreenshotName(ScreenshotCounter).c_str(),
                     room ? "no window to take it of" : "too many are still being written");
    }
    ScreenshotCounter += ScreenshotCounter < INT32_MAX ? 1 : 0;
}

void FinishScreenshots()
{
    // The writer ends once nothing is pending, and only this thread starts one.
    JoinThread(Writer);
    Writer = nullptr;
}
