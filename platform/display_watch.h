// Losing the display: the window system going away under the running game,
// or our window destroyed from outside (not closed: a close request is an
// ordinary quit event). One implementation per window system.
#pragma once

// Watches the open window. `lost` runs once, on the thread that noticed (the
// main thread, inside a window-system call), and must end the program.
void WatchDisplay(void (*lost)());

// Whether the window system is still there, asked once the main loop has
// ended on a quit event: some libraries report a lost display as a request to
// quit. False ends the program as a lost display does.
bool DisplayStillThere();
