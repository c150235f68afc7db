// The title screen: title, title picture, key help, subtitle, blinking prompt.
#pragma once

#include <cstdint>

extern uint32_t FrameCounter;  // frames presented so far; read for blinking

void DrawTitleScreen();
void DrawTitleHelp();
