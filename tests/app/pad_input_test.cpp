// A pad's controls as the keys they press, on each platform's Xbox layout and
// by the rule for other pads: what a press, a push past the threshold, a
// wobble around it and two controls holding one key send.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/pad_input.h"

namespace
{
enum Control
{
    Press,
    Axis,
    Hat,
    Start,  // index: the pad's axis count, value: its button count (one hat)
};

struct Step
{
    Control control;
    int32_t index;
    int32_t value;
    const char* sent;  // the key events it makes: "+z" down, "-z" up, in order
};

std::string Name(int32_t symbol)
{
    const std::map<int32_t, std::string> names = {{273, "up"},   {274, "down"}, {275, "right"},
                                                  {276, "left"}, {27, "esc"},   {' ', "space"}};
    return names.count(symbol) ? names.at(symbol) : std::string(1, static_cast<char>(symbol));
}

// Runs the steps on one pad that starts with the given counts.
void Play(const PadLayout& layout, int32_t axes, int32_t buttons, int32_t hats, const std::vector<Step>& steps)
{
    PadInput pad;
    pad.start(layout, axes, buttons, hats);
    for (const Step& step : steps)
    {
        switch (step.control)
        {
        case Press: pad.button(step.index, step.value != 0); break;
        case Axis: pad.axis(step.index, step.value); break;
        case Hat: pad.hat(step.index, step.value); break;
        case Start: pad.start(layout, step.index, step.value, 1); break;
        }
        std::string sent;
        for (ShellEvent event; pad.nextEvent(event);)
        {
            sent += (sent.empty() ? "" : " ") + std::string(event.type == EventKeyDown ? "+" : "-") + Name(event.key);
        }
        EXPECT_EQ(sent, step.sent) << "step " << (&step - steps.data()) << ": control " << step.control << " "
                                   << step.index << " to " << step.value;
    }
}
}  // namespace

TEST(PadInput, LinuxXboxPadButtonsTriggersStickAndDpadAreTheKeysOncePerPush)
{
    Play(LinuxXboxPad, 6, 11, 1,
         {
             {Press, 0, 1, "+z"}, {Press, 0, 0, "-z"}, {Press, 1, 1, "+x"}, {Press, 2, 1, "+c"},
             {Press, 3, 1, "+v"}, {Press, 4, 1, "+b"}, {Press, 5, 1, "+n"}, {Press, 6, 1, "+esc"},
             {Press, 7, 1, "+space"}, {Press, 8, 1, ""},  // the guide button is nothing
             // A trigger rests at -32768: past half it is M, let go below a quarter.
             {Axis, 2, -32768, ""}, {Axis, 2, -100, ""}, {Axis, 2, 0, "+m"}, {Axis, 2, -12000, ""},
             {Axis, 2, 200, ""}, {Axis, 2, -20000, "-m"},
             // Both triggers are one M, let go with the last.
             {Axis, 5, 32767, "+m"}, {Axis, 2, 32767, ""}, {Axis, 5, -32768, ""}, {Axis, 2, -32768, "-m"},
             // The stick: nothing in its dead zone, one press however it
             // wobbles around half travel, let go below a quarter.
             {Axis, 0, 12000, ""}, {Axis, 0, 16384, "+right"}, {Axis, 0, 15000, ""}, {Axis, 0, 17000, ""},
             {Axis, 0, 9000, ""}, {Axis, 0, 8000, "-right"}, {Axis, 0, -32768, "+left"},
             {Axis, 1, -20000, "+up"}, {Axis, 1, 32767, "-up +down"},
             // The d-pad holds left too: the stick's release lets nothing go.
             {Hat, 0, 8, ""}, {Axis, 0, 0, ""}, {Hat, 0, 1 | 2, "+up +right -left"}, {Axis, 1, 0, "-down"},
             {Hat, 0, 0, "-up -right"}, {Axis, 3, 32767, ""}, {Axis, 4, -32768, ""},  // the right stick
             // A pad opened again lets go of what it held.
             {Press, 0, 1, "+z"}, {Start, 6, 11, "-z -x -c -v -b -n -space -esc"},
         });
}

TEST(PadInput, WindowsXboxPadHasBothTriggersOnOneAxisAndTheBrowsersDpadIsButtons)
{
    Play(WinmmXboxPad, 5, 10, 1,
         {
             {Press, 0, 1, "+z"}, {Press, 6, 1, "+esc"}, {Press, 7, 1, "+space"}, {Press, 9, 1, ""},
             {Axis, 2, 20000, "+m"}, {Axis, 2, -20000, ""}, {Axis, 2, -9000, ""}, {Axis, 2, 0, "-m"},
             {Axis, 3, 32767, ""}, {Hat, 0, 4, "+down"}, {Axis, 1, -32768, "+up"},
         });
    Play(StandardGamepad, 4, 17, 0,
         {
             {Press, 12, 1, "+up"}, {Press, 13, 1, "+down"}, {Press, 14, 1, "+left"}, {Press, 15, 1, "+right"},
             {Press, 6, 1, "+m"}, {Press, 7, 1, ""}, {Press, 6, 0, ""}, {Press, 7, 0, "-m"},
             {Press, 8, 1, "+esc"}, {Press, 9, 1, "+space"}, {Press, 16, 1, ""}, {Axis, 2, 32767, ""},
             {Axis, 0, -32768, ""}, {Axis, 0, 0, ""}, {Press, 14, 0, "-left"},
         });
}

TEST(PadInput, OtherPadsUseTheirHatFirstTwoAxesAndButtonsOneToTenInOrder)
{
    // Pads whose counts are not the platform's Xbox pad's, a plain pad and a
    // pad with more buttons alike, follow the rule for other pads: a third
    // axis, where the Xbox pad has a trigger, presses nothing.
    for (const auto& [axes, buttons] : {std::pair{2, 10}, {6, 10}, {6, 13}})
    {
        Play(LinuxXboxPad, axes, buttons, 1,
             {
                 {Press, 0, 1, "+z"}, {Press, 1, 1, "+x"}, {Press, 2, 1, "+c"}, {Press, 3, 1, "+v"},
                 {Press, 4, 1, "+b"}, {Press, 5, 1, "+n"}, {Press, 6, 1, "+m"}, {Press, 7, 1, ""},
                 {Press, 6, 0, ""}, {Press, 7, 0, "-m"}, {Press, 8, 1, "+esc"}, {Press, 9, 1, "+space"},
                 {Press, 10, 1, ""}, {Axis, 0, 32767, "+right"}, {Axis, 1, -32768, "+up"},
                 {Axis, 2, 32767, ""}, {Hat, 0, 4 | 8, "+down +left"},
             });
    }
}

TEST(ButtonForKeyAt, ALettersOwnTileFirstThenTheTileOfItsPlaceInTheBottomRow)
{
    struct Case
    {
        int32_t key;
        int32_t place;
        int32_t button;
    };
    constexpr Case Cases[] = {
        {'z', -1, ButtonZ},  // AZERTY's Z, where US keyboards have W
        {'w', 0, ButtonZ},   // AZERTY's W at Z's place
        {'y', 0, ButtonZ},   // QWERTZ's Y at Z's place
        {'z', 5, ButtonZ},   // a letter of the row wins over the place
        {',', 6, ButtonM},   // AZERTY's comma at M's place
        {'m', -1, ButtonM},  // AZERTY's M beside L
        {'x', 1, ButtonX},  {'q', -1, -1}, {'w', -1, -1}, {273, -1, ButtonUp}, {' ', -1, ButtonSpace},
        {'w', 7, -1},
    };
    for (const Case& c : Cases)
    {
        EXPECT_EQ(ButtonForKeyAt(c.key, c.place), c.button) << "key " << c.key << " at place " << c.place;
    }
}
