// The main loop: drains events, turns elapsed time into fixed 18 ms ticks,
// drives the active mode, the palette drift and the audio exchange, presents a
// frame when ticks ran, and sleeps. Main thread only.
//
// The platform comes in as an argument so that the whole loop runs headless
// under a scripted clock and event queue.
#include "app/main_loop.h"

#include "app/shell.h"
#include "audio/mixer.h"
#include "gfx/palette.h"

// ---------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------

ShellPlatform* CurrentPlatform = nullptr;
bool ScreenshotKeyHeld[ScreenshotKeyCount] = {};

// ---------------------------------------------------------------------------
// Keys and events
// ---------------------------------------------------------------------------

int32_t ButtonForKey(int32_t key)
{
    for (int32_t button = 0; button < ButtonCount; button++)
    {
        if (KeyTable[button] == key)
        {
            return button;
        }
    }
    return -1;
}

int32_t ButtonForKeyAt(int32_t key, int32_t place)
{
    const int32_t button = ButtonForKey(key);
    constexpr int32_t Places = ButtonM - ButtonZ + 1;
    return button >= 0 || place < 0 || place >= Places ? button : ButtonZ + place;
}

namespace
{
// The index of a screenshot key in ScreenshotKeys, or -1.
int ScreenshotKeyIndex(int32_t key)
{
    for (int i = 0; i < ScreenshotKeyCount; i++)
    {
        if (ScreenshotKeys[i] == key)
        {
            return i;
        }
    }
    return -1;
}
}  // namespace

bool HandleEvent(ShellPlatform& platform, const ShellEvent& event)
{
    if (event.type == EventQuit)
    {
        return false;
    }
    if (event.type == EventKeyDown)
    {
        if (event.key == KeyEscape)
        {
            if (ModeActive)
            {
                EndGame();
            }
            else
            {
                QuitRequested = true;
            }
        }
        else if (int shotKey = ScreenshotKeyIndex(event.key); shotKey >= 0)
        {
            if (!ScreenshotKeyHeld[shotKey])
            {
                ScreenshotKeyHeld[shotKey] = true;
                platform.saveScreenshot();
            }
        }
        else if (ModeActive)
        {
            int32_t button = ButtonForKeyAt(event.key, event.place);
            if (button >= 0)
            {
                ActiveMode->buttonDown(button);
            }
        }
        else
        {
            // The key that leaves the title screen only starts the game; the
            // new mode never sees it pressed, but will see it released.
            StartGame();
        }
    }
    else if (event.type == EventKeyUp && ScreenshotKeyIndex(event.key) >= 0)
    {
        ScreenshotKeyHeld[ScreenshotKeyIndex(event.key)] = false;
    }
    else if (event.type == EventKeyUp && ModeActive)
    {
        int32_t button = ButtonForKeyAt(event.key, event.place);
        if (button >= 0)
        {
            ActiveMode->buttonUp(button);
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Time
// ---------------------------------------------------------------------------

MainLoopState StartMainLoopState(uint32_t now)
{
    return MainLoopState{now, 0, false};
}

uint32_t TakeDueTicks(MainLoopState& state, uint32_t now)
{
    state.accumulator += now - state.lastTime;
    state.lastTime = now;
    uint32_t due = state.accumulator / TickMs;
    state.accumulator -= due * TickMs;
    // A backlog beyond the cap is dropped, not carried: after a long stall
    // the game skips ahead instead of racing to catch up.
    return due < MaxTicksPerIteration ? due : MaxTicksPerIteration;
}

uint32_t SleepAfterIteration(bool& rested, uint32_t ticks)
{
    for (const SleepRule& rule : SleepPolicy)
    {
        if (rule.restedBefore == rested && ticks >= rule.minTicks && ticks <= rule.maxTicks)
        {
            rested = rule.restedAfter;
            return rule.sleepMs;
        }
    }
    return 1;  // unreachable: the rules cover every flag and count
}

// ---------------------------------------------------------------------------
// The loop
// ---------------------------------------------------------------------------

bool RunMainLoopIteration(ShellPlatform& platform, MainLoopState& state)
{
    ShellEvent event;
    while (platform.pollEvent(event))
    {
        if (!HandleEvent(platform, event))
        {
            return false;
        }
    }

    uint32_t ticks = TakeDueTicks(state, platform.milliseconds());
    if (ModeActive)
    {
        CatchUpUpdates(ticks);
    }
    for (uint32_t i = 0; i < ticks; i++)
    {
        PaletteTick();
    }
    AudioUpdate(ModeActive, ActiveModeIsPlanting());

    if (QuitRequested)
    {
        return false;
    }
    if (ticks >= 1)
    {
        platform.present();
    }
    platform.delay(SleepAfterIteration(state.rested, ticks));
    return true;
}

void RunMainLoop(ShellPlatform& platform)
{
    CurrentPlatform = &platform;
    MainLoopState state = StartMainLoopState(platform.milliseconds());
    while (RunMainLoopIteration(platform, state))
    {
    }
}
