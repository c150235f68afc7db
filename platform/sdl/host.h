// The SDL 1.2 side of the shell: the window and the platform the main loop
// runs on. Main thread only. No SDL types leak out of this header.
#pragma once

#include <cstdint>

#include "app/main_loop.h"

// Window size in pixels: the desktop size read before the window was opened.
extern int32_t WindowWidth;
extern int32_t WindowHeight;

// SDL video, the OpenGL attributes, the full-screen window at the desktop
// size, caption, key handling and cursor. Returns
// false, after saying why on stderr, when there is no display to open a
// window on or another program holds the keyboard and the pointer; the
// caller then ends the program.
bool OpenWindow();

// Closes the window and the display connection at once; audio and the rest
// of SDL stay until shutdown is done with them.
void CloseWindow();

// The main loop's view of SDL: its clock, event queue, key repeat, the GL
// presentation and screenshots.
class SdlPlatform : public ShellPlatform
{
public:
    uint32_t milliseconds() override;
    void delay(uint32_t ms) override;
    bool pollEvent(ShellEvent& event) override;
    void keyRepeatOff() override;
    void present() override;
    void saveScreenshot() override;

private:
    static constexpr uint32_t PadScanMs = 1000;
    uint32_t lastPadScan = 0;
};
