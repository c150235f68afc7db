// The shell's state and the operations that switch between the title screen
// and a running game mode. Main thread only.
#pragma once

#include <cstdint>
#include <memory>

class GameState;

extern std::unique_ptr<GameState> ActiveMode;  // the running mode, or none
extern bool ModeActive;                        // true while ActiveMode is set
extern bool QuitRequested;
extern uint32_t ShellClock;                    // ticks that pace the mode's updates

// True while the active mode is still in its planting phase. Only valid while
// ModeActive; the one mode the shell creates is a GameTitle.
bool ActiveModeIsPlanting();

// One frame into the ScreenBuffer: count it, clear the buffer, and draw the
// active mode or, with none, the title screen.
void ComposeFrame();

void StartGame();
void EndGame();
void CatchUpUpdates(uint32_t ticks);
