// Whether the keyboard and the pointer are free to take. A full-screen window
// takes them both; on some systems opening one waits for as long as another
// program (often another copy of the game) holds them, so the shell asks
// first. One implementation per window system.
#pragma once

// True when another program holds the keyboard or the pointer and has not let
// go of them within a couple of seconds (a menu closing after it started us
// lets go sooner). False when they are free or cannot be held here at all.
bool InputHeldElsewhere();
