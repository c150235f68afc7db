// The entry point in the browser. The page calls its own animation frames, so
// the program cannot loop: start-up runs here, then the browser runs one loop
// iteration per animation frame, and the sample loader's slices in the time
// left over; shutdown runs when the loop ends, and the page is told.
//
// The served site brings the samples after the first picture, so that they
// do not hold it back on a slow link: the loader starts its slices once the
// page has put them in the file system (SamplesArrived), or has given up on
// them, when they play silent as missing files do. The page that carries
// everything has them from the start.
#include <emscripten.h>
#include <unistd.h>

#include "platform/entry.h"
#include "app/main_loop.h"
#include "platform/web/host.h"
#include "platform/web/worker_slices.h"

namespace
{
// The loader's share of each animation frame (about 16.7 ms at 60 Hz).
constexpr double LoaderSliceMs = 6.0;

WebPlatform Platform;
MainLoopState LoopState;
bool SamplesHere = false;

void Frame()
{
    if (!RunMainLoopIteration(Platform, LoopState))
    {
        emscripten_cancel_main_loop();
        EndProgram();
        // clang-format off
        EM_ASM({
            if (Module['onGameEnded']) Module['onGameEnded']();
        });
        // clang-format on
        return;
    }
    if (SamplesHere)
    {
        RunWorkerSlice(LoaderSliceMs);
    }
}
}  // namespace

// The page has put the samples into dat/samples, or will not.
extern "C" EMSCRIPTEN_KEEPALIVE void SamplesArrived()
{
    SamplesHere = true;
}

// The page's second way to take a screenshot, for browsers that keep both
// screenshot keys for themselves.
extern "C" EMSCRIPTEN_KEEPALIVE void TakeScreenshot()
{
    Platform.saveScreenshot();
}

int main()
{
    SamplesHere = access("dat/samples", F_OK) == 0;
    if (const int failed = StartProgram())
    {
        return failed;
    }
    CurrentPlatform = &Platform;
    LoopState = StartMainLoopState(Platform.milliseconds());
    emscripten_set_main_loop(Frame, 0, 1);
    return 0;
}
