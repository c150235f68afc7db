// The shell's state: the one active game mode and the clock that paces it,
// the switches between the title screen and a running game, and which of the
// two a frame shows. Main thread only.
#include "app/shell.h"

#include "app/main_loop.h"
#include "audio/mixer.h"
#include "game/game_title.h"
#include "game/mode_clock.h"
#include "gfx/screen_buffer.h"
#include "gfx/title_screen.h"

// ---------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------

std::unique_ptr<GameState> ActiveMode;
bool ModeActive = false;
bool QuitRequested = false;
uint32_t ShellClock = 0;

// ---------------------------------------------------------------------------
// Mode switching
// ---------------------------------------------------------------------------

bool ActiveModeIsPlanting()
{
    // The shell only ever creates GameTitle modes, so the downcast is safe.
    return ActiveMode && static_cast<GameTitle*>(ActiveMode.get())->planting;
}

void StartGame()
{
    ModeActive = true;
    MarkNewGame();
    ActiveMode = StartGarden(ShellClock);
    // Held keys must not stream repeated presses into the game; repeat stays
    // off for the rest of the run, on the title screen too.
    if (CurrentPlatform)
    {
        CurrentPlatform->keyRepeatOff();
    }
}

void EndGame()
{
    ModeActive = false;
    ActiveMode.reset();
}

void CatchUpUpdates(uint32_t ticks)
{
    CatchUpMode(*ActiveMode, ShellClock, ticks);
}

// ---------------------------------------------------------------------------
// Frames
// ---------------------------------------------------------------------------

void ComposeFrame()
{
    FrameCounter += 1;
    ClearScreenBuffer();
    if (ModeActive)
    {
        ActiveMode->draw();
    }
    else
    {
        DrawTitleScreen();
    }
}
