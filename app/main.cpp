// Entry point: start-up, the main loop and shutdown, in that order. Main thread.
//
// The command line has no meaning and is ignored.
#include <SDL.h>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/data_dir.h"
#include "app/platform_sdl.h"
#include "app/shell.h"
#include "audio/device.h"
#include "audio/mixer.h"
#include "audio/samples.h"
#include "audio/threads.h"
#include "gfx/palette.h"
#include "gfx/presentation_gl.h"
#include "gfx/title_picture.h"

int main(int, char**)
{
    QuitRequested = false;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    CreateAudioLocks();

    // The loader thread reads the samples from here; it is stopped before
    // these strings go.
    const std::string dataDirectory = FindDataDirectory();
    const std::string sampleDirectory = dataDirectory + "/samples";
    SampleDirectory = sampleDirectory.c_str();

    if (!OpenWindow())
    {
        return 1;
    }
    StartDisplay(WindowWidth, WindowHeight);

    AudioStartup();
    MarkNewGame();
    SDL_PauseAudio(0);

    PaletteDriftSpeed = 24;
    PaletteTickCounter = 0;
    ReadTitlePictureFile(dataDirectory);

    SdlPlatform platform;
    RunMainLoop(platform);

    // A mode still running when the window closes is left alone: shutdown only
    // stops audio and the window.
    SDL_PauseAudio(1);
    SDL_CloseAudio();
    AudioShutdown();
    DeleteAudioLocks();
    SDL_Quit();
    return 0;
}
