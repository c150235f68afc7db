// The program itself: start-up, the main loop and shutdown (sdl/program.cpp).
// Each system's entry point calls RunGame and returns what it returns; where
// the system drives the loop itself (the browser), the entry point runs the
// three parts on its own.
#pragma once

int RunGame();

// Start-up: 0 when the game is ready to run its loop, otherwise the exit code
// (there is no display to open a window on).
int StartProgram();

// Shutdown, after the main loop has ended.
void EndProgram();
