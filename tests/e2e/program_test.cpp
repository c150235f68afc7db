// The real program started without a display. The play-through covers a whole
// game; screenshot numbering is checked in the app tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

TEST(Program, WithoutADisplaySaysSoAndFails)
{
    Program program;
    program.display = "";
    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    EXPECT_GT(program.finish(), 0);
    std::string message = ReadAll(program.scratch.path / "stderr.txt");
    EXPECT_NE(message.find("mirelantha:"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
}

TEST(Program, WithoutAnAudioDeviceSaysHowToPlaySilentlyAndExitsWithOne)
{
    Program program;
    program.start({{"SDL_AUDIODRIVER", "no-such-driver"}});
    EXPECT_EQ(program.finish(), 1);  // a crash on the way out would give -1
    std::string message = ReadAll(program.scratch.path / "stderr.txt");
    EXPECT_NE(message.find("SDL_AUDIODRIVER=dummy"), std::string::npos) << message;
}

// With no data folder at all the game still shows its screens and plays on
// (damaged data files are the unit tests' and the fuzz targets').
TEST(Program, PlaysOnWithoutItsData)
{
    Program program(false);
    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(program.windowShown());

    Picture title;
    ASSERT_TRUE(program.screenshot(title));
    program.keys(Tap("x") + " sleep 0.2 " + Tap("Left") + " " + Tap("space") + " sleep 0.2");
    Picture game;
    ASSERT_TRUE(program.screenshot(game));
    program.keys(Tap("Escape") + " sleep 0.1 " + Tap("Escape"));
    EXPECT_EQ(program.finish(), 0);

    // Title text still drawn where the picture would be empty; the game's
    // separator column is there.
    EXPECT_EQ(ReadCells(title)[PixelOffset(64, 50)], 0);  // no picture
    EXPECT_EQ(ReadCells(game)[PixelOffset(96, 40)], 3);
}

// The first copy holds the keyboard and the pointer while it is full screen.
// A second one must not sit waiting for them with a silent window: it says
// why it cannot run and ends, and the first plays on.
TEST(Program, ASecondCopyEndsAtOnceWithOneLineAndTheFirstPlaysOn)
{
    Program first;
    first.start({{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(first.windowShown());
    SleepMs(300);

    Program second;
    second.start({{"SDL_AUDIODRIVER", "dummy"}});
    EXPECT_EQ(WaitForExit(std::exchange(second.pid, 0), 8000), 1) << "-1: still waiting";
    std::string message = ReadAll(second.errorFile);
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find("mirelantha:"), std::string::npos) << message;

    Picture title;
    EXPECT_TRUE(first.screenshot(title)) << "the first copy no longer answers";
    first.keys(Tap("Escape"));
    EXPECT_EQ(first.finish(), 0);
}
