// Telling the player that the sound device could not be opened, where a
// player will see it. On Linux the program's message on stderr is that place
// (a terminal, the desktop's log); a Windows game has no console, so there a
// message box says it and waits to be read. windows/ shows the box;
// null/ has nothing more to say. Main thread, with the window already
// closed.
#pragma once

// reason: the audio library's own words, shown as a detail.
void TellNoAudioDevice(const char* reason);
