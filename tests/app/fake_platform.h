// A scripted platform for driving the main loop headless: a settable clock,
// an event queue, and a log of what the loop asked the platform to do.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/main_loop.h"

class FakePlatform : public ShellPlatform
{
public:
    uint32_t now = 0;
    std::deque<ShellEvent> events;
    std::vector<uint32_t> delays;
    std::vector<std::string> log;  // "present", "screenshot", "repeat-off", "delay"
    int presents = 0;

    void keyDown(int32_t key) { events.push_back({EventKeyDown, key}); }
    void keyUp(int32_t key) { events.push_back({EventKeyUp, key}); }
    void quit() { events.push_back({EventQuit, 0}); }

    uint32_t milliseconds() override { return now; }
    void delay(uint32_t ms) override
    {
        delays.push_back(ms);
        log.push_back("delay");
    }
    bool pollEvent(ShellEvent& event) override
    {
        if (events.empty())
        {
            return false;
        }
        event = events.front();
        events.pop_front();
        return true;
    }
    void keyRepeatOff() override { log.push_back("repeat-off"); }
    void present() override
    {
        presents++;
        log.push_back("present");
    }
    void saveScreenshot() override { log.push_back("screenshot"); }
};
