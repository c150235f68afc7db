// The real program started without a display. The play-through covers a whole
// game; screenshot numbering is checked in the app tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

TEST(Program, WithoutADisplaySaysSoAndFails)
{
    ScratchDirectory scratch;
    pid_t pid = Spawn({ProgramPath}, scratch.path,
                      {{"DISPLAY", ""}, {"SDL_AUDIODRIVER", "dummy"}, {"ASAN_OPTIONS", "detect_leaks=0"}},
                      scratch.path / "stderr.txt");
    EXPECT_GT(WaitForExit(pid, 10000), 0);
    std::string message = ReadAll(scratch.path / "stderr.txt");
    EXPECT_NE(message.find("mirelantha:"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
}
