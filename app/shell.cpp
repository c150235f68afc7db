// The shell's state: the one active game mode and the clock that paces it, and
// the switches between the title screen and a running game. Main thread only.
#include "app/shell.h"

#include "app/main_loop.h"
#include "audio/mixer.h"
// Until the garden mode lands, the shell runs a bare GameState so that the
// core keeps building. TODO(shell): drop this fallback.
#if __has_include("game/game_title.h")
#include "game/game_title.h"
#define SHELL_HAS_GAME_TITLE 1
#endif

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
#ifdef SHELL_HAS_GAME_TITLE
    return ActiveMode && static_cast<GameTitle*>(ActiveMode.get())->planting;
#else
    return false;
#endif
}

void StartGame()
{
    ModeActive = true;
    MarkNewGame();
    ShellClock = 0;
#ifdef SHELL_HAS_GAME_TITLE
    ActiveMode = std::make_unique<GameTitle>();
#else
    ActiveMode = std::make_unique<GameState>();
#endif
    // Held keys must not stream repeated presses into the game; repeat stays
    // off for the rest of the run, on the title screen too.
    if (CurrentPlatform)
    {
        CurrentPlatform->keyRepeatOff();
    }
    // One update now puts the mode's tick one ahead of ShellClock, so the
    // next 18 ms tick runs no update.
    ActiveMode->update();
}

void EndGame()
{
    ModeActive = false;
    ActiveMode.reset();
}

void CatchUpUpdates(uint32_t ticks)
{
    ShellClock += ticks;
    while (ActiveMode->tick < ShellClock)
    {
        ActiveMode->update();
    }
    ShellClock = ActiveMode->tick;
}
