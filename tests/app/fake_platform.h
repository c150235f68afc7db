// A scripted platform for driving the main loop headless: a settable clock,
// an event queue, and a log of what the loop asked the platform to do; and a
// fixture that starts each test on the title screen with it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/shell.h"
#include "audio/mixer.h"
#include "gfx/palette.h"

class FakePlatform : public ShellPlatform
{
public:
    uint32_t now = 0;
    std::deque<ShellEvent> events;
    std::vector<uint32_t> delays;
    std::vector<std::string> log;  // "present", "screenshot", "repeat-off", "delay"

    void keyDown(int32_t key) { events.push_back({EventKeyDown, key}); }
    void keyUp(int32_t key) { events.push_back({EventKeyUp, key}); }
    int presents() const { return static_cast<int>(std::count(log.begin(), log.end(), "present")); }

    uint32_t milliseconds() override { return now; }
    void delay(uint32_t ms) override
    {
        delays.push_back(ms);
        log.push_back("delay");
    }
    bool pollEvent(ShellEvent& event) override
    {
        const bool any = !events.empty();
        event = any ? events.front() : event;
        events.erase(events.begin(), events.begin() + (any ? 1 : 0));
        return any;
    }
    void keyRepeatOff() override { log.push_back("repeat-off"); }
    void present() override { log.push_back("present"); }
    void saveScreenshot() override { log.push_back("screenshot"); }
};

// The shell on its title screen, as at start-up, with the fake platform.
class ShellTest : public ::testing::Test
{
protected:
    FakePlatform platform;
    MainLoopState state{};

    void SetUp() override
    {
        std::srand(7);
        EndGame();
        QuitRequested = false;
        ShellClock = 0;
        std::fill(std::begin(ScreenshotKeyHeld), std::end(ScreenshotKeyHeld), false);
        CurrentPlatform = &platform;
        PaletteDriftSpeed = 24;
        PaletteTickCounter = 0;
        AudioStartupState();
        state = StartMainLoopState(platform.now);
    }

    void TearDown() override
    {
        EndGame();
        CurrentPlatform = nullptr;
    }

    // One loop iteration after `ms` milliseconds with the queued events.
    bool iterate(uint32_t ms = 0)
    {
        platform.now += ms;
        return RunMainLoopIteration(platform, state);
    }
};
