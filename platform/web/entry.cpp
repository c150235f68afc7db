// The entry point in the browser. The page calls its own animation frames, so
// the program cannot loop: start-up runs here, then the browser runs one loop
// iteration per animation frame, and the sample loader's slices in the time
// left over; shutdown runs when the loop ends, and the page is told.
#include <emscripten.h>

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
    RunWorkerSlice(LoaderSliceMs);
}
}  // namespace

// The page's second way to take a screenshot, for browsers that keep both
// screenshot keys for themselves.
extern "C" EMSCRIPTEN_KEEPALIVE void TakeScreenshot()
{
    Platform.saveScreenshot();
}

int main()
{
    if (const int failed = StartProgram())
    {
        return failed;
    }
    CurrentPlatform = &Platform;
    LoopState = StartMainLoopState(Platform.milliseconds());
    emscripten_set_main_loop(Frame, 0, 1);
    return 0;
}
