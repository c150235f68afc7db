// Screenshots as a player takes them in the real program: a key held down is
// one picture, F12 takes them as Print Screen does, and leaving right after a
// burst of them closes the window at once and still writes every one.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

namespace
{
int CountScreenshots(const fs::path& folder)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
    {
        const std::string name = entry.path().filename().string();
        count += name.rfind("screen", 0) == 0 && entry.path().extension() == ".png";
    }
    return count;
}
}  // namespace

TEST(ScreenshotKeys, AHeldKeyIsOnePictureF12IsAnotherAndLeavingClosesTheWindowFirstLosingNone)
{
    // A server of its own without the server's key repeat, whose release and
    // press pairs a busy machine can split into a real release and press:
    // the game's own key repeat is what a held key is tested against here.
    const XServer server(120, {"-screen", "0", "1024x768x24", "-ardelay", "3600000"});
    ASSERT_FALSE(server.display.empty()) << "could not start Xvfb";
    Program program;
    program.display = server.display;
    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(program.windowShown());
    const fs::path folder = program.scratch.path;

    // Held for a second and a half on the title screen, where key repeat is
    // on (some 30 repeats), then F12 held likewise.
    program.keys("keydown Print sleep 1.5 keyup Print sleep 0.2 keydown F12 sleep 1.5 keyup F12");
    Picture first;
    Picture second;
    EXPECT_TRUE(WaitFor([&] { return LoadPng(folder / "screen0.png", first); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return LoadPng(folder / "screen1.png", second); }, 5000)) << "F12 saved nothing";
    SleepMs(500);
    EXPECT_EQ(CountScreenshots(folder), 2) << "a held key saved a picture per repeat";

    // A burst of presses, then Escape: the window goes before the writer is
    // through with them (it needs a good part of a second for the lot).
    constexpr int Burst = 30;
    std::string actions;
    for (int i = 0; i < Burst; i++)
    {
        actions += "key F12 ";
    }
    program.keys(actions + "key Escape");
    ASSERT_TRUE(WaitFor([&] { return !RunOnDisplay(program.display, "xdotool search --name '^mirelantha$'"); }, 10000))
        << "the window stayed";
    EXPECT_LT(CountScreenshots(folder), 2 + Burst) << "the window waited for the screenshots";
    EXPECT_EQ(program.finish(), 0) << ReadAll(program.errorFile);
    ASSERT_EQ(CountScreenshots(folder), 2 + Burst) << ReadAll(program.errorFile);
    Picture last;
    EXPECT_TRUE(LoadPng(folder / ("screen" + std::to_string(1 + Burst) + ".png"), last));
    EXPECT_EQ((std::pair{last.width, last.height}), (std::pair{Width, Height}));
}
