// The main loop's decisions: events to buttons, elapsed milliseconds to 18 ms
// ticks, the order of one iteration and how long to sleep after it.
//
// Everything that touches the window, the clock or the keyboard sits behind
// ShellPlatform, so tests drive the loop with a scripted fake. Main thread only.
#pragma once

#include <cstdint>

#include "game/game_state.h"

// SDL 1.2 event type values the shell handles; every other type is ignored.
constexpr int32_t EventKeyDown = 2;
constexpr int32_t EventKeyUp = 3;
constexpr int32_t EventQuit = 12;

// SDL 1.2 key symbols with a meaning of their own.
constexpr int32_t KeyEscape = 27;
constexpr int32_t KeyPrintScreen = 316;
// A second screenshot key: many desktops and Windows keep Print Screen for
// their own capture tools, and leave F12 alone.
constexpr int32_t KeyF12 = 293;

// The screenshot keys, and whether each is held down now. A press is one
// picture however long the key is held: its repeated key-downs (key repeat
// is on until the first game) are not new presses; its key-up ends the press.
constexpr int32_t ScreenshotKeys[] = {KeyPrintScreen, KeyF12};
constexpr int ScreenshotKeyCount = sizeof(ScreenshotKeys) / sizeof(ScreenshotKeys[0]);
extern bool ScreenshotKeyHeld[ScreenshotKeyCount];

// Key code of each Button; the index is the button number.
constexpr int32_t KeyTable[] = {
    273,  // Up: cursor up
    274,  // Down: cursor down
    276,  // Left: cursor left
    275,  // Right: cursor right
    122,  // z
    120,  // x
    99,   // c
    118,  // v
    98,   // b
    110,  // n
    109,  // m
    32,   // space
};
static_assert(sizeof(KeyTable) / sizeof(KeyTable[0]) == ButtonCount, "one key per Button");

// The Button bound to a key code, or -1 for a key outside the table.
int32_t ButtonForKey(int32_t key);

// The Button of a key on any keyboard layout: a key whose symbol is in the
// table is that button; any other key in the bottom letter row places the
// tile of its place, so Z X C V B N M keep their places on AZERTY and
// QWERTZ keyboards too (the key typing W on AZERTY, or Y on QWERTZ, sits
// where Z does). -1 for any other key.
int32_t ButtonForKeyAt(int32_t key, int32_t place);

// One event as the shell sees it: the SDL event type and, for keys, the key
// symbol and where the key sits: its place in the bottom letter row (0 to 6,
// the places of Z X C V B N M on a US keyboard; -1 elsewhere or unknown).
// Modifiers and Unicode are never looked at.
struct ShellEvent
{
    int32_t type;
    int32_t key;
    int32_t place = -1;
};

// What the loop needs from the platform. The SDL implementation lives in
// platform/sdl/host.cpp; tests script a fake.
class ShellPlatform
{
public:
    virtual ~ShellPlatform() = default;
    virtual uint32_t milliseconds() = 0;           // wrapping millisecond clock
    virtual void delay(uint32_t ms) = 0;
    virtual bool pollEvent(ShellEvent& event) = 0; // false when the queue is empty
    virtual void keyRepeatOff() = 0;
    virtual void present() = 0;                    // compose, convert and show one frame
    virtual void saveScreenshot() = 0;
};

// The platform StartGame switches key repeat off through; set by RunMainLoop.
// Null in headless runs, where there is no key repeat to switch off.
extern ShellPlatform* CurrentPlatform;

constexpr uint32_t TickMs = 18;
constexpr uint32_t MaxTicksPerIteration = 32;  // 576 ms of game time; more is dropped

// Main-loop locals kept across iterations.
struct MainLoopState
{
    uint32_t lastTime;     // ms, the previous clock reading
    uint32_t accumulator;  // ms not yet turned into ticks
    bool rested;           // a long sleep was taken since ticks last ran
};

MainLoopState StartMainLoopState(uint32_t now);

// Adds the time since the last reading to the accumulator and takes whole
// ticks out of it, at most MaxTicksPerIteration. The difference is unsigned,
// so the clock's wrap after 49.7 days costs nothing.
uint32_t TakeDueTicks(MainLoopState& state, uint32_t now);

// One row of the sleep policy: with the rested flag and a tick count in
// [minTicks, maxTicks], sleep sleepMs and leave the flag as restedAfter.
struct SleepRule
{
    bool restedBefore;
    uint32_t minTicks;
    uint32_t maxTicks;
    uint32_t sleepMs;
    bool restedAfter;
};

constexpr SleepRule SleepPolicy[] = {
    {false, 0, 0, 9, true},
    {false, 1, 1, 6, true},
    {false, 2, UINT32_MAX, 1, false},
    {true, 0, 0, 1, true},
    {true, 1, UINT32_MAX, 1, false},
};
static_assert(sizeof(SleepPolicy) / sizeof(SleepPolicy[0]) == 5, "five sleep rules");

// The sleep for this iteration; updates the rested flag.
uint32_t SleepAfterIteration(bool& rested, uint32_t ticks);

// Handles one event. Returns false for a quit event, which ends the loop at once.
bool HandleEvent(ShellPlatform& platform, const ShellEvent& event);

// One iteration: events, time, updates, palette ticks, AudioUpdate, quit check,
// present, sleep. Returns false when the loop ends.
bool RunMainLoopIteration(ShellPlatform& platform, MainLoopState& state);

// Runs iterations until a quit event or QuitRequested.
void RunMainLoop(ShellPlatform& platform);
