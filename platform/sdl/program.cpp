// The program: start-up, the main loop and shutdown, in that order, called by
// the system's entry point (linux/entry.cpp, windows/entry.cpp, web/entry.cpp).
// Main thread.
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/data_dir.h"
#include "platform/display_watch.h"
#include "platform/entry.h"
#include "platform/sdl/host.h"
#include "platform/window_icon.h"
#include "app/screenshot.h"
#include "app/shell.h"
#include "platform/audio_device.h"
#include "audio/mixer.h"
#include "audio/samples.h"
#include "platform/threads.h"
#include "gfx/palette.h"
#include "platform/sdl/presentation_gl.h"
#include "gfx/title_picture.h"

namespace
{
// What shutdown stops, in its order: audio, the sample loader, the
// screenshots still being written, the locks.
void StopEverything()
{
    SDL_PauseAudio(1);
    SDL_CloseAudio();
    AudioShutdown();
    FinishScreenshots();
    DeleteAudioLocks();
}

// The display is gone: nothing can be shown any more. The window system's
// libraries cannot be shut down over a dead connection, so after our own
// shutdown the program ends at once, without their exit handlers.
void EndWithoutDisplay()
{
    static bool ending = false;
    if (!ending)
    {
        ending = true;
        std::fprintf(stderr, "mirelantha: the display or the window was lost\n");
        StopEverything();
    }
    std::fflush(nullptr);
    std::_Exit(1);
}
}  // namespace

int StartProgram()
{
    QuitRequested = false;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    CreateAudioLocks();

    // The loader reads the samples from here; it is stopped before these
    // strings change.
    static std::string dataDirectory;
    static std::string sampleDirectory;
    dataDirectory = FindDataDirectory();
    sampleDirectory = dataDirectory + "/samples";
    SampleDirectory = sampleDirectory.c_str();

    if (!OpenWindow())
    {
        return 1;
    }
    StartDisplay(WindowWidth, WindowHeight);
    WatchDisplay(EndWithoutDisplay);

    AudioStartup();
    MarkNewGame();
    SDL_PauseAudio(0);

    PaletteDriftSpeed = 24;
    PaletteTickCounter = 0;
    ReadTitlePictureFile(dataDirectory);
    ShowWindowIcon();
    return 0;
}

void EndProgram()
{
    // A quit that came from a display going away is a lost display.
    if (!DisplayStillThere())
    {
        EndWithoutDisplay();
    }

    // A mode still running when the window closes is left alone: shutdown only
    // stops audio and the window. The window goes first, so the player is not
    // kept looking at a frozen screen while the last screenshots are written.
    CloseWindow();
    StopEverything();
    SDL_Quit();
}

int RunGame()
{
    if (const int failed = StartProgram())
    {
        return failed;
    }
    SdlPlatform platform;
    RunMainLoop(platform);
    EndProgram();
    return 0;
}
