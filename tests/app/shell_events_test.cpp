// Keys as the player presses them: what starts and ends a game, what reaches
// the running mode as buttons, and what the shell keeps to itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <list>

#include "app/main_loop.h"
#include "app/shell.h"
#include "audio/mixer.h"
#include "game/game_state.h"
#include "gfx/palette.h"
#include "tests/app/fake_platform.h"

namespace
{
constexpr int32_t KeySpace = 32;
constexpr int32_t KeyLeftShift = 304;
constexpr int32_t KeyZ = 122;
constexpr int32_t KeyUp = 273;
constexpr int32_t KeyDown = 274;
constexpr int32_t KeyRight = 275;
constexpr int32_t KeyLeft = 276;

class ShellEvents : public ::testing::Test
{
protected:
    FakePlatform platform;
    MainLoopState state{};

    void SetUp() override
    {
        std::srand(11);
        EndGame();
        QuitRequested = false;
        ShellClock = 0;
        CurrentPlatform = &platform;
        PaletteDriftSpeed = 24;
        PaletteTickCounter = 0;
        AudioStartupState();
        state = StartMainLoopState(platform.now);
    }

    void TearDown() override
    {
        EndGame();
        QuitRequested = false;
        CurrentPlatform = nullptr;
    }

    // One loop iteration after `ms` milliseconds with the queued events.
    bool iterate(uint32_t ms = 0)
    {
        platform.now += ms;
        return RunMainLoopIteration(platform, state);
    }

    std::list<int32_t> held() const { return ActiveMode->heldButtons; }
};
}

TEST_F(ShellEvents, SpaceOnTheTitleStartsAGameWithoutPressingSpaceInIt)
{
    platform.keyDown(KeySpace);
    ASSERT_TRUE(iterate());
    ASSERT_TRUE(ModeActive);
    EXPECT_EQ(ActiveMode->tick, 1u);  // StartGame's own update, no more
    EXPECT_TRUE(held().empty());
    // The new mode gets the release of a key it never saw pressed.
    platform.keyUp(KeySpace);
    ASSERT_TRUE(iterate());
    EXPECT_TRUE(ModeActive);
    EXPECT_TRUE(held().empty());
}

TEST_F(ShellEvents, StartingKeyIsNotPassedOnButItsReleaseIs)
{
    platform.keyDown(KeyLeft);
    ASSERT_TRUE(iterate());
    ASSERT_TRUE(ModeActive);
    EXPECT_TRUE(held().empty());

    platform.keyDown(KeyLeft);
    platform.keyDown(KeyUp);
    ASSERT_TRUE(iterate());
    EXPECT_EQ(held(), (std::list<int32_t>{ButtonLeft, ButtonUp}));

    platform.keyUp(KeyLeft);
    ASSERT_TRUE(iterate());
    EXPECT_EQ(held(), (std::list<int32_t>{ButtonUp}));
}

TEST_F(ShellEvents, ArrowKeysReachTheModeAsTheirButtonsInArrivalOrder)
{
    StartGame();
    platform.keyDown(KeyRight);
    platform.keyDown(KeyUp);
    platform.keyDown(KeyLeft);
    platform.keyDown(KeyDown);
    ASSERT_TRUE(iterate());
    EXPECT_EQ(held(), (std::list<int32_t>{ButtonRight, ButtonUp, ButtonLeft, ButtonDown}));
}

TEST_F(ShellEvents, ShiftStartsAGameOnTheTitleAndDoesNothingDuringIt)
{
    platform.keyDown(KeyLeftShift);
    ASSERT_TRUE(iterate());
    ASSERT_TRUE(ModeActive);
    GameState* mode = ActiveMode.get();

    platform.keyDown(KeyLeftShift);
    platform.keyUp(KeyLeftShift);
    ASSERT_TRUE(iterate());
    EXPECT_EQ(ActiveMode.get(), mode);
    EXPECT_EQ(ActiveMode->tick, 1u);
    EXPECT_TRUE(held().empty());
}

TEST_F(ShellEvents, EscapeThenZInOnePollEndsTheGameAndStartsANewOne)
{
    StartGame();
    platform.keyDown(KeyLeft);
    ASSERT_TRUE(iterate(10 * 18));
    ASSERT_EQ(ActiveMode->tick, 10u);
    ASSERT_FALSE(held().empty());

    platform.keyDown(KeyEscape);
    platform.keyDown(KeyZ);
    ASSERT_TRUE(iterate());
    ASSERT_TRUE(ModeActive);
    EXPECT_EQ(ActiveMode->tick, 1u);  // a fresh mode
    EXPECT_TRUE(held().empty());       // and Z only started it
    EXPECT_FALSE(QuitRequested);
}

TEST_F(ShellEvents, EscapeDuringAGameReturnsToTheTitleAndEscapeThereQuits)
{
    StartGame();
    platform.keyDown(KeyEscape);
    ASSERT_TRUE(iterate(18));
    EXPECT_FALSE(ModeActive);
    EXPECT_EQ(ActiveMode, nullptr);
    EXPECT_FALSE(QuitRequested);
    EXPECT_EQ(platform.presents, 1);  // the title screen is shown again

    platform.keyDown(KeyEscape);
    EXPECT_FALSE(iterate(18));
    EXPECT_TRUE(QuitRequested);
}

TEST_F(ShellEvents, PrintScreenOnTheTitleOnlyTakesAScreenshot)
{
    platform.keyDown(KeyPrintScreen);
    platform.keyUp(KeyPrintScreen);
    platform.events.push_back({4, 0});  // mouse motion: ignored
    ASSERT_TRUE(iterate());
    EXPECT_FALSE(ModeActive);
    EXPECT_EQ(platform.log, (std::vector<std::string>{"screenshot", "delay"}));
}

TEST_F(ShellEvents, ScreenshotIsTakenBeforeTheIterationDrawsAnything)
{
    // Print Screen then Escape in one poll: the picture saved is the game's.
    StartGame();
    platform.keyDown(KeyPrintScreen);
    platform.keyDown(KeyEscape);
    ASSERT_TRUE(iterate(18));
    std::vector<std::string> expected = {"repeat-off", "screenshot", "present", "delay"};
    EXPECT_EQ(platform.log, expected);
}

TEST_F(ShellEvents, KeyRepeatIsSwitchedOffByTheFirstGameAndNeverBackOn)
{
    platform.keyDown(KeyZ);
    ASSERT_TRUE(iterate());
    ASSERT_FALSE(platform.log.empty());
    EXPECT_EQ(platform.log.front(), "repeat-off");

    platform.keyDown(KeyEscape);
    ASSERT_TRUE(iterate());
    platform.log.clear();
    // Back on the title screen nothing touches key repeat until the next game.
    ASSERT_TRUE(iterate(18));
    for (const std::string& entry : platform.log)
    {
        EXPECT_NE(entry, "repeat-off");
    }
}

