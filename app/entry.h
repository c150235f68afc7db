// The program itself: start-up, the main loop and shutdown (app/main.cpp).
// Each system's entry point calls it and returns what it returns.
#pragma once

int RunGame();
