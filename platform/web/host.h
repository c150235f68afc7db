// The browser's view of the shell: the SDL platform as the page runs it, one
// loop iteration per animation frame. Main thread only.
#pragma once

#include <cstdint>

#include "platform/sdl/host.h"

// The browser's SDL reports non-character keys as 1024 + their USB usage
// number (the scan codes of later SDL versions) and event types with later
// SDL numbers. These give the classic numbers the shell knows; anything
// without a classic number is passed on as it came (keys) or as 0 (types),
// which the shell does not act on.
int32_t ClassicKeySymbol(int32_t webSymbol);
int32_t ClassicEventType(uint32_t webType);

class WebPlatform : public SdlPlatform
{
public:
    // The browser paces the iterations: nothing to sleep.
    void delay(uint32_t ms) override;
    // Events in classic numbers; a key pressed again while held (the
    // browser's own key repeat) is dropped, so a held key is one press.
    bool pollEvent(ShellEvent& event) override;
    // Key repeat never reaches the game here.
    void keyRepeatOff() override;
    // Follows the page's size first: the picture always fills the window.
    // The page hears of the first picture (Module.onFirstPicture).
    void present() override;
    // The picture as the page shows it, handed to the page (Module.onScreenshot)
    // as "screenN.png", numbered from 0 in each page load.
    void saveScreenshot() override;

private:
    // Keys held now, so that the browser's repeats can be told from presses.
    static constexpr int32_t HeldLimit = 32;
    int32_t held[HeldLimit] = {};
    int32_t heldCount = 0;
    bool shown = false;
    bool listening = false;  // the page's key listener and pad reading are on
    uint32_t screenshots = 0;
};
