// The real program under a private X server: the title screen it shows, a
// game started and left with the keyboard, screenshots, and how it ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

namespace
{
const std::pair<std::string, std::string> SilentAudio = {"SDL_AUDIODRIVER", "dummy"};
}

TEST(Program, ShowsTheTitleScreenPlaysAGameAndQuitsWithEscape)
{
    Program program;
    program.start({SilentAudio});
    ASSERT_TRUE(program.windowShown());
    SleepMs(500);  // the first frames

    Cells blinkOn;
    Cells blinkOff;
    DrawExpectedTitle(program.scratch.path, blinkOn, blinkOff);
    std::string first;
    Picture picture;
    ASSERT_TRUE(program.screenshot(picture)) << "screen0.png";
    EXPECT_EQ(CountDifferences(ReadCells(picture), blinkOn, blinkOff, WholeScreen, first), 0) << first;
    // And the window itself shows the same: the quad maps the picture the
    // right way up and round, corner to corner.
    Picture shown;
    ASSERT_TRUE(ReadXvfbScreen(shown.rgba, shown.width, shown.height));
    ASSERT_EQ(shown.width, Width);
    ASSERT_EQ(shown.height, Height);
    EXPECT_EQ(CountDifferences(ReadCells(shown), blinkOn, blinkOff, WholeScreen, first), 0) << first;

    program.keys(Tap("z") + " sleep 0.2");  // starts a game; z itself places nothing
    ASSERT_TRUE(program.screenshot(picture)) << "screen1.png";
    EXPECT_GT(CountDifferences(ReadCells(picture), blinkOn, blinkOff, WholeScreen, first), 500)
        << "the game looks like the title";

    program.keys(Tap("Escape") + " sleep 0.2");  // back to the title screen
    ASSERT_TRUE(program.screenshot(picture)) << "screen2.png";
    EXPECT_EQ(CountDifferences(ReadCells(picture), blinkOn, blinkOff, WholeScreen, first), 0) << first;

    program.keys(Tap("Escape"));  // leaves the program
    EXPECT_EQ(program.finish(), 0) << program.errors();
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
