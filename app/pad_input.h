// Gamepads as a second keyboard: a pad's buttons, hat and axes, as SDL 1.2
// reports them, become the key presses and releases of the keys they stand
// for, so the shell and the game see a pad exactly as they see the keyboard.
//
// An Xbox-layout pad follows its platform's table (PadLayout): the d-pad and
// the left stick are the arrows, A B X Y are Z X C V, LB RB are B N, either
// trigger is M, Start is Space and Back is Escape. Any other pad follows one
// rule: its hat and its first two axes are the arrows, and its buttons 1 to
// 10 are Z X C V B N M M Escape Space (more buttons do nothing).
//
// A stick or trigger presses its key past half its travel and lets it go
// only below a quarter, so one that rests, or wobbles around the press
// point, sends nothing and one push is one press. A held direction is a held
// key: the game repeats it by its own rules. Main thread only; nothing here
// allocates.
#pragma once

#include <cstdint>

#include "app/main_loop.h"

// The keys a pad can press. Several controls may hold one key (the d-pad and
// the stick, or both triggers): it is pressed by the first and let go with
// the last. PadNone is zero, so a table's unnamed buttons press nothing.
enum PadKey : int8_t
{
    PadNone,
    PadUp,
    PadDown,
    PadLeft,
    PadRight,
    PadZ,
    PadX,
    PadC,
    PadV,
    PadB,
    PadN,
    PadM,
    PadSpace,
    PadEscape,
    PadKeyCount
};

// The keyboard's key symbol for each PadKey.
constexpr int32_t PadKeySymbols[] = {0, 273, 274, 276, 275, 'z', 'x', 'c', 'v', 'b', 'n', 'm', ' ', KeyEscape};
static_assert(sizeof(PadKeySymbols) / sizeof(PadKeySymbols[0]) == PadKeyCount, "one symbol per pad key");

constexpr int PadButtonLimit = 32;  // buttons past these do nothing

// Where one platform's SDL puts the controls of an Xbox-layout pad, and the
// counts by which such a pad is told from others.
struct PadLayout
{
    int8_t axes;        // exact counts of an Xbox-layout pad
    int8_t hats;
    int8_t minButtons;  // button counts it may have
    int8_t maxButtons;
    PadKey buttons[PadButtonLimit];  // the key of each button number
    int8_t stickX;      // the left stick's axes
    int8_t stickY;
    // The triggers' axes (-1: none). Each rests at -32768 and pulls up to
    // 32767; or, with shared set, both are on the first axis, resting at 0,
    // the left pulling it one way and the right the other.
    int8_t triggers[2];
    bool shared;
};

// Linux (xpad through evdev, on classic SDL 1.2 and over SDL 2): axes left
// stick x, y, left trigger, right stick x, y, right trigger; the d-pad is
// hat 0; buttons A B X Y LB RB Back Start Guide and the two stick clicks.
inline constexpr PadLayout LinuxXboxPad = {
    6, 1, 11, 11,
    {PadZ, PadX, PadC, PadV, PadB, PadN, PadEscape, PadSpace, PadNone, PadNone, PadNone},
    0, 1, {2, 5}, false};

// Windows (SDL 1.2 over winmm): axes x, y and z, where both triggers meet,
// then the right stick; the d-pad is the point-of-view hat; buttons A B X Y
// LB RB Back Start and the stick clicks.
inline constexpr PadLayout WinmmXboxPad = {
    5, 1, 10, 10,
    {PadZ, PadX, PadC, PadV, PadB, PadN, PadEscape, PadSpace, PadNone, PadNone},
    0, 1, {2, -1}, true};

// The browser's Gamepad API in its standard mapping: four axes (the sticks),
// no hat; buttons A B X Y LB RB LT RT Back Start, the stick clicks, the
// d-pad's up down left right and the guide button. The triggers are buttons
// there, pressed as the browser judges.
inline constexpr PadLayout StandardGamepad = {
    4, 0, 16, 17,
    {PadZ, PadX, PadC, PadV, PadB, PadN, PadM, PadM, PadEscape, PadSpace, PadNone, PadNone, PadUp, PadDown,
     PadLeft, PadRight, PadNone},
    0, 1, {-1, -1}, false};

// Any other pad: buttons 1 to 10, then the hat and the first two axes.
inline constexpr PadLayout OtherPad = {
    0, 0, 0, 0,
    {PadZ, PadX, PadC, PadV, PadB, PadN, PadM, PadM, PadEscape, PadSpace},
    0, 1, {-1, -1}, false};

// Stick and trigger thresholds, in SDL's axis units from rest.
constexpr int32_t PadPressTravel = 16384;    // half of full travel
constexpr int32_t PadReleaseTravel = 8192;   // a quarter

// One pad's controls and the key events they make.
class PadInput
{
public:
    // A newly opened pad: the platform's Xbox layout if the pad's counts are
    // its, else the rule for other pads. Keys this pad still held are let go.
    void start(const PadLayout& xbox, int32_t axes, int32_t buttons, int32_t hats);
    // Forgets the pad, letting go every key it held.
    void stop();

    // What SDL reports: a button, a hat (SDL's bits: 1 up, 2 right, 4 down,
    // 8 left) and an axis (-32768 to 32767).
    void button(int32_t index, bool pressed);
    void hat(int32_t index, int32_t value);
    void axis(int32_t index, int32_t value);

    // The next key event the controls made, oldest first; false when none.
    bool nextEvent(ShellEvent& event);

    // Whether any of its controls holds a key now.
    bool holding() const;

private:
    // Each control that can hold a key has one bit: buttons 0..31, then the
    // hat's and the stick's four directions, then the two triggers.
    static constexpr int HatBit = PadButtonLimit;
    static constexpr int StickBit = HatBit + 4;
    static constexpr int TriggerBit = StickBit + 4;

    static constexpr uint32_t PendingLimit = 64;

    void hold(int bit, PadKey key, bool held);
    void push(int32_t type, PadKey key);
    void direction(int firstBit, int32_t value, PadKey negative, PadKey positive);

    const PadLayout* layout = &OtherPad;
    uint64_t holders[PadKeyCount] = {};  // the controls holding each key
    ShellEvent pending[PendingLimit] = {};  // a ring of events not yet taken
    uint32_t first = 0;
    uint32_t count = 0;
};
