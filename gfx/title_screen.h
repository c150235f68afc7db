// The title screen: title, title picture, key help, subtitle, blinking prompt.
// Drawn into the ScreenBuffer while no game mode runs. Main thread only.
#pragma once

#include <cstdint>

extern uint32_t FrameCounter;  // frames presented so far; read for blinking

// Draws the whole screen over the cleared ScreenBuffer.
void DrawTitleScreen();
// The title picture and the two key-help lines; part of DrawTitleScreen.
void DrawTitleHelp();

