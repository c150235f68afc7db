// Keys as the player presses them: what starts and ends a game, what reaches
// the running mode as buttons, and what the shell keeps to itself.
#include <gtest/gtest.h>

#include <list>

#include "game/game_state.h"
#include "tests/app/fake_platform.h"

namespace
{
constexpr int32_t KeySpace = ' ';
constexpr int32_t KeyZ = 'z';
constexpr int32_t KeyLeftShift = 304;
constexpr int32_t KeyUp = 273;
constexpr int32_t KeyDown = 274;
constexpr int32_t KeyRight = 275;
constexpr int32_t KeyLeft = 276;

class ShellEvents : public ShellTest
{
protected:
    std::list<int32_t> held() const { return ActiveMode->heldButtons; }
};
}

TEST_F(ShellEvents, TheKeyThatStartsAGameIsNotPassedOnButItsReleaseAndArrowsAreAndShiftOnlyStarts)
{
    for (int32_t key : {KeySpace, KeyLeft})
    {
        platform.keyDown(key);
        ASSERT_TRUE(iterate());
        ASSERT_TRUE(ModeActive);
        EXPECT_EQ(platform.log.front(), "repeat-off") << "key repeat is off from the first game on";
        EXPECT_EQ(ActiveMode->tick, 1u);  // StartGame's own update, no more
        EXPECT_TRUE(held().empty());
        // Released though the mode never saw it pressed; arrows arrive as
        // their buttons in order.
        platform.keyUp(key);
        for (int32_t arrow : {KeyRight, KeyUp, KeyLeft, KeyDown})
        {
            platform.keyDown(arrow);
        }
        ASSERT_TRUE(iterate());
        EXPECT_TRUE(ModeActive);
        EXPECT_EQ(held(), (std::list<int32_t>{ButtonRight, ButtonUp, ButtonLeft, ButtonDown}));
        EndGame();
    }

    // Shift starts a game too, and does nothing during it.
    platform.keyDown(KeyLeftShift);
    ASSERT_TRUE(iterate());
    ASSERT_TRUE(ModeActive);
    platform.keyDown(KeyLeftShift);
    ASSERT_TRUE(iterate());
    EXPECT_EQ(ActiveMode->tick, 1u);
    EXPECT_TRUE(held().empty());
    EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "repeat-off"), 3) << "once per game, never between";
}

TEST_F(ShellEvents, EscapeDuringAGameReturnsToTheTitleEscapeThereQuitsAndZAfterEscapeStartsAgain)
{
    StartGame();
    platform.keyDown(KeyEscape);
    ASSERT_TRUE(iterate(18));
    EXPECT_EQ(ActiveMode, nullptr);
    EXPECT_FALSE(QuitRequested);
    EXPECT_EQ(platform.presents(), 1);  // the title screen is shown again
    platform.keyDown(KeyEscape);
    EXPECT_FALSE(iterate(18));
    EXPECT_TRUE(QuitRequested);

    // Escape then Z in one poll ends a game and starts a fresh one.
    QuitRequested = false;
    StartGame();
    ASSERT_TRUE(iterate(10 * 18));
    platform.keyDown(KeyEscape);
    platform.keyDown(KeyZ);
    ASSERT_TRUE(iterate());
    ASSERT_TRUE(ModeActive);
    EXPECT_EQ(ActiveMode->tick, 1u);
    EXPECT_TRUE(held().empty());
    EXPECT_FALSE(QuitRequested);
}

TEST_F(ShellEvents, PrintScreenTakesAScreenshotBeforeTheIterationDrawsAnything)
{
    platform.keyDown(KeyPrintScreen);
    platform.keyUp(KeyPrintScreen);
    platform.events.push_back({4, 0});  // mouse motion: ignored
    ASSERT_TRUE(iterate());
    EXPECT_FALSE(ModeActive) << "on the title it only takes the screenshot";
    EXPECT_EQ(platform.log, (std::vector<std::string>{"screenshot", "delay"}));

    // Print Screen then Escape in one poll: the picture saved is the game's.
    StartGame();
    platform.log.clear();
    platform.keyDown(KeyPrintScreen);
    platform.keyDown(KeyEscape);
    ASSERT_TRUE(iterate(18));
    EXPECT_EQ(platform.log, (std::vector<std::string>{"screenshot", "present", "delay"}));
}

TEST_F(ShellEvents, AHeldScreenshotKeyTakesOnePictureAndEachKeyIsAPressOfItsOwn)
{
    auto shots = [&] { return std::count(platform.log.begin(), platform.log.end(), "screenshot"); };
    // Key repeat is on at the title: a held key sends a key-down every 30 ms.
    for (int i = 0; i < 40; i++)
    {
        platform.keyDown(KeyPrintScreen);
    }
    ASSERT_TRUE(iterate(18));
    EXPECT_EQ(shots(), 1);
    EXPECT_FALSE(ModeActive) << "the repeats start no game either";

    // F12 while Print Screen is still held is a press of its own.
    platform.keyDown(KeyF12);
    platform.keyDown(KeyF12);
    ASSERT_TRUE(iterate(18));
    EXPECT_EQ(shots(), 2);

    // Let go and pressed again, each is one more picture, in a game too.
    platform.keyUp(KeyPrintScreen);
    platform.keyDown(KeyPrintScreen);
    platform.keyDown(KeyPrintScreen);
    platform.keyUp(KeyF12);
    platform.keyDown(KeyF12);
    ASSERT_TRUE(iterate(18));
    EXPECT_EQ(shots(), 4);
    StartGame();
    platform.keyUp(KeyF12);
    platform.keyDown(KeyF12);
    platform.keyDown(KeyF12);
    platform.keyUp(KeyF12);
    platform.keyDown(KeyF12);
    ASSERT_TRUE(iterate(18));
    EXPECT_EQ(shots(), 6);
    EXPECT_TRUE(held().empty()) << "the screenshot keys are no buttons";
}
