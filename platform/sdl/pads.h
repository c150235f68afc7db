// Gamepads through SDL 1.2's joystick subsystem: every pad SDL sees, each
// turned into key events by its own PadInput (app/pad_input.h). The desktop
// hosts and the browser's share it. Main thread only.
#pragma once

#include <SDL.h>

#include "app/main_loop.h"

// Starts SDL's joystick subsystem once and opens every pad it sees now that
// is not open yet. A button already held when its pad is opened counts as
// pressed then: in the browser the press that reveals a pad is such a one.
void OpenPads();

// SDL 1.2 sees pads only when its joystick subsystem starts: this closes the
// pads, starts the subsystem again and opens every pad it finds. Nothing is
// done while a pad holds a key (it waits for the next call).
void RescanPads();

// Takes a joystick event into its pad's state; false for any other event.
bool FeedPad(const SDL_Event& event);

// The next key event a pad made; false when there is none.
bool NextPadEvent(ShellEvent& event);
