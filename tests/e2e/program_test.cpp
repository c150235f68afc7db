// The real program where it cannot play: without a display, without a sound
// device, or with another copy holding the input. It must say why and end.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

TEST(Program, WithoutADisplaySaysSoAndFails)
{
    Program program;
    program.display = "";
    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    program.expectEndsWithOneLine();
}

// The driver asked for does not exist and the library's own choice finds no
// sound either, whatever the machine runs for other programs. On Windows a
// message box says so, since a game started from Explorer has no console,
// and waits to be read; elsewhere stderr names the silent driver.
TEST(Program, WithoutASoundDeviceSaysHowToPlaySilentlyAndExitsWithOne)
{
    Program program;
    std::vector<std::pair<std::string, std::string>> environment = NoSoundServers(program.scratch.path / "run");
    environment.emplace_back("SDL_AUDIODRIVER", "no-such-driver");
    program.start(environment);
    if (UnderWine)
    {
        const std::string box = "xdotool search --name '^mirelantha: no sound device$'";
        ASSERT_TRUE(WaitFor([&] { return RunOnDisplay(program.display, box); }, StartupWaitMs))
            << "no message box; stderr: " << ReadAll(program.errorFile);
        EXPECT_FALSE(RunOnDisplay(program.display, "xdotool search --name '^mirelantha$'"))
            << "the full-screen window hides the message";
        SleepMs(300);
        EXPECT_EQ(waitpid(program.pid, nullptr, WNOHANG), 0) << "the game did not wait for the player to read it";
        program.keys("key Return");
    }
    EXPECT_EQ(program.finish(), 1) << "-1: a crash on the way out, or it played";
    EXPECT_TRUE(UnderWine || ReadAll(program.errorFile).find("SDL_AUDIODRIVER=dummy") != std::string::npos)
        << ReadAll(program.errorFile);
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
    second.expectEndsWithOneLine(8000);

    Picture title;
    EXPECT_TRUE(first.screenshot(title)) << "the first copy no longer answers";
    first.keys(Tap("Escape"));
    EXPECT_EQ(first.finish(), 0);
}
