// Where the game's data files are found. Main thread, at start-up.
//
// The working directory's "dat" comes first, so a checkout plays from its own
// data, but only when it holds the game's data: a player's own folder that
// happens to be called dat (in the home folder a menu starts the game in)
// does not hide the installed data. An installed game is started from anywhere (a menu starts it in the
// player's home), so without a "dat" there the data folder installed with the
// program is used, found from the program's own location: the package then
// works wherever it is unpacked, and a moved install keeps working.
#pragma once

#include <string>

// The installed data folder relative to the program's folder, as the install
// rules lay it out ("../share/games/mirelantha" on Linux, "dat" on Windows).
extern const char* const DataFromProgram;

// Whether a folder holds the game's data: the title picture "lh0.txt" or
// any of the samples under "samples/", by name.
bool HoldsGameData(const std::string& folder);

// The data folder: "dat" when the working directory has one that holds the
// game's data, else the installed data folder next to programPath when it
// exists, else "dat" (which then holds nothing of the game's, and the game
// plays without picture and samples).
// programPath is the program's file; empty when unknown. Paths are UTF-8.
std::string ChooseDataDirectory(const std::string& programPath);

// ChooseDataDirectory for this process.
std::string FindDataDirectory();
