// Telling the player that the sound device could not be opened, where a
// player will see it. On Linux the program's message on stderr is that place
// (a terminal, the desktop's log); a Windows game has no console, so there a
// message box says it and waits to be read. One implementation per system
// (device_message_posix.cpp, device_message_win32.cpp). Main thread, with the
// window already closed.
#pragma once

// reason: the audio library's own words, shown as a detail.
void TellNoAudioDevice(const char* reason);
