// Keys as a player presses them in the real program: presses shorter than one
// pass of its main loop, pressed and released between two looks at the event
// queue, count once on the title screen (where key repeat is on) and in a
// game; a held screenshot key is one picture and F12 takes them as Print
// Screen does; leaving right after a burst of them closes the window at once
// and still writes every one. The game runs without its data folder, and
// shows its screens all the same.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

TEST(Keys, QuickHeldAndBurstPressesTakeOnePictureEachAndLeavingLosesNone)
{
    Program program(false);
    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(program.windowShown());
    SleepMs(300);
    auto expectShots = [&](int count, const char* when) {
        EXPECT_TRUE(WaitFor([&] { return program.screenshots() >= count; }, 3000)) << when;
        SleepMs(300);
        EXPECT_EQ(program.screenshots(), count) << when;
    };

    // Three quick presses, each given time for any repeat to show: a key
    // repeated after its release would go on taking pictures every 30 ms.
    for (int press = 1; press <= 3; press++)
    {
        program.keys(QuickPress("Print") + " sleep 0.4");
        expectShots(press, "quick presses on the title screen");
    }
    // Held for a second and a half each (some 30 repeats): one picture each.
    program.keys("keydown Print sleep 1.5 keyup Print sleep 0.2 keydown F12 sleep 1.5 keyup F12");
    expectShots(5, "Print Screen and F12 held");

    program.keys(QuickPress("z") + " sleep 0.3 " + QuickPress("Print") + " sleep 0.4");
    expectShots(6, "a quick press in a game");
    Picture title;
    Picture game;
    ASSERT_TRUE(LoadPng(program.shot(0), title) && LoadPng(program.shot(5), game));
    EXPECT_EQ(ReadCells(title)[PixelOffset(64, 50)], 0) << "a title picture without its data";
    EXPECT_EQ(ReadCells(game)[PixelOffset(96, 40)], 3) << "the quick z did not start a game";

    // Back to the title, a burst of presses, then Escape: the window goes
    // before the writer is through with them (it needs a good part of a
    // second for the lot).
    constexpr int Burst = 30;
    std::string actions = QuickPress("Escape") + " sleep 0.3 ";
    for (int i = 0; i < Burst; i++)
    {
        actions += "key F12 ";
    }
    program.keys(actions + "key Escape");
    ASSERT_TRUE(WaitFor([&] { return !RunOnDisplay(program.display, "xdotool search --name '^mirelantha$'"); }, 10000))
        << "the window stayed";
    EXPECT_LT(program.screenshots(), 6 + Burst) << "the window waited for the screenshots";
    EXPECT_EQ(program.finish(), 0) << ReadAll(program.errorFile);
    EXPECT_EQ(program.screenshots(), 6 + Burst) << ReadAll(program.errorFile);
    Picture last;
    EXPECT_TRUE(LoadPng(program.shot(5 + Burst), last) && last.width == Width && last.height == Height);
}
