// The real program's edges: screenshots beside those of earlier runs, and a
// start without a display. The play-through covers a whole game.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

namespace
{
const std::pair<std::string, std::string> SilentAudio = {"SDL_AUDIODRIVER", "dummy"};
}

TEST(Program, KeepsScreenshotsFromEarlierRuns)
{
    Program program;
    std::ofstream(program.scratch.path / "screen0.png") << "from an earlier run";
    program.start({SilentAudio});
    ASSERT_TRUE(program.windowShown());
    SleepMs(200);
    program.nextScreenshot = 1;
    Picture picture;
    EXPECT_TRUE(program.screenshot(picture));
    EXPECT_EQ(ReadAll(program.scratch.path / "screen0.png"), "from an earlier run");
    program.keys(Tap("Escape"));
    EXPECT_EQ(program.finish(), 0);
}

TEST(Program, WithoutADisplaySaysSoAndFails)
{
    ScratchDirectory scratch;
    pid_t pid = Spawn({ProgramPath()}, scratch.path, {{"DISPLAY", ""}, SilentAudio, {"ASAN_OPTIONS", "detect_leaks=0"}},
                      scratch.path / "stderr.txt");
    EXPECT_GT(WaitForExit(pid, 10000), 0);
    std::string message = ReadAll(scratch.path / "stderr.txt");
    EXPECT_NE(message.find("mirelantha:"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
}
