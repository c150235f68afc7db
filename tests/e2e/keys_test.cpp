// Key presses shorter than one pass of the main loop, pressed and released
// between two looks at the event queue: each must count once, on the title
// screen (where key repeat is on) and in a game.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

TEST(ShortPresses, EachTakesOneScreenshotOnTheTitleAndInAGameAndEscapeStillEnds)
{
    Program program;
    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(program.windowShown());
    SleepMs(300);

    // Three quick presses, each given time for any repeat to show: a key
    // repeated after its release would go on taking pictures every 30 ms.
    for (int press = 1; press <= 3; press++)
    {
        program.keys(QuickPress("Print") + " sleep 0.7");
        ASSERT_TRUE(WaitFor([&] { return program.screenshots() >= press; }, 3000)) << "press " << press;
        EXPECT_EQ(program.screenshots(), press) << "on the title screen after quick press " << press;
    }

    program.keys(QuickPress("z") + " sleep 0.3 " + QuickPress("Print") + " sleep 0.7");
    ASSERT_TRUE(WaitFor([&] { return program.screenshots() >= 4; }, 3000));
    EXPECT_EQ(program.screenshots(), 4) << "in a game";
    Picture game;
    ASSERT_TRUE(LoadPng(program.scratch.path / "screen3.png", game));
    EXPECT_EQ(ReadCells(game)[PixelOffset(96, 40)], 3) << "the quick z did not start a game";

    program.keys(QuickPress("Escape") + " sleep 0.3 " + QuickPress("Escape"));
    EXPECT_EQ(program.finish(), 0);
}
