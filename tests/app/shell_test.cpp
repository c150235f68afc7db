// The shell driven headless by a scripted platform (a settable clock, an
// event queue and a log of what the loop asked the platform to do): ticks
// from milliseconds, the sleep policy, what one iteration does and in which
// order, and keys as the player presses them: what starts and ends a game,
// what reaches the running mode as buttons, and what the shell keeps to
// itself. What a presented frame shows is the play-through's to check: it
// compares whole title and planting screens with what the modes draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <initializer_list>
#include <iterator>
#include <list>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/shell.h"
#include "audio/mixer.h"
#include "game/game_state.h"
#include "gfx/palette.h"
#include "gfx/title_screen.h"

namespace
{
constexpr int32_t KeyLeftShift = 304;
constexpr int32_t KeyUp = 273;
constexpr int32_t KeyDown = 274;
constexpr int32_t KeyRight = 275;
constexpr int32_t KeyLeft = 276;

class FakePlatform : public ShellPlatform
{
public:
    uint32_t now = 0;
    std::deque<ShellEvent> events;
    std::vector<uint32_t> delays;
    std::vector<std::string> log;  // "present", "screenshot", "repeat-off", "delay"

    // Queues key events in order: a key for its press, the key negated for its release.
    void keys(std::initializer_list<int32_t> strokes)
    {
        for (int32_t key : strokes)
        {
            events.push_back({key < 0 ? EventKeyUp : EventKeyDown, std::abs(key)});
        }
    }
    int count(const char* entry) const { return static_cast<int>(std::count(log.begin(), log.end(), entry)); }

    uint32_t milliseconds() override { return now; }
    void delay(uint32_t ms) override
    {
        delays.push_back(ms);
        log.push_back("delay");
    }
    bool pollEvent(ShellEvent& event) override
    {
        const bool any = !events.empty();
        event = any ? events.front() : event;
        events.erase(events.begin(), events.begin() + (any ? 1 : 0));
        return any;
    }
    void keyRepeatOff() override { log.push_back("repeat-off"); }
    void present() override
    {
        ComposeFrame();  // as every host does before it shows the frame
        log.push_back("present");
    }
    void saveScreenshot() override { log.push_back("screenshot"); }
};

// The shell on its title screen, as at start-up, with the fake platform.
class ShellTest : public ::testing::Test
{
protected:
    FakePlatform platform;
    MainLoopState state{};

    void SetUp() override
    {
        std::srand(7);
        EndGame();
        QuitRequested = false;
        ShellClock = 0;
        std::fill(std::begin(ScreenshotKeyHeld), std::end(ScreenshotKeyHeld), false);
        CurrentPlatform = &platform;
        PaletteDriftSpeed = 24;
        PaletteTickCounter = 0;
        AudioStartupState();
        state = StartMainLoopState(platform.now);
    }

    void TearDown() override
    {
        EndGame();
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

using MainLoop = ShellTest;
using ShellEvents = ShellTest;

}  // namespace

TEST_F(MainLoop, FortyTicksDueRunThirtyTwoTicksTheFirstAfterStartGameWithoutAnUpdateAndTheRestAreDropped)
{
    // From 16 ms before the millisecond clock wraps: only the elapsed time counts.
    platform.now = 0xFFFFFFF0u;
    state = StartMainLoopState(platform.now);
    StartGame();
    ASSERT_TRUE(iterate(40 * 18));
    EXPECT_EQ(ActiveMode->tick, 32u) << "the first tick after StartGame runs no update";
    EXPECT_EQ(ShellClock, 32u);
    const int32_t paletteTicksBefore = PaletteTickCounter;
    const uint32_t tickBefore = ActiveMode->tick;
    ASSERT_TRUE(iterate(40 * 18 + 5));
    EXPECT_EQ(ActiveMode->tick - tickBefore, 32u);
    EXPECT_EQ(PaletteTickCounter - paletteTicksBefore, 32);
    EXPECT_EQ(state.accumulator, 5u) << "part ticks carry, the eight beyond the cap are not owed";
    EXPECT_EQ(platform.count("present"), 2);
    ASSERT_TRUE(iterate(13));
    EXPECT_EQ(ActiveMode->tick - tickBefore, 33u);
    EXPECT_EQ(state.accumulator, 0u);
}

TEST_F(MainLoop, SteadyRunningTakesAtMostOneLongSleepPerTickAndPresentsOncePerTick)
{
    // A clock that moves only by the loop's own sleeps.
    const uint32_t framesBefore = FrameCounter;
    int longSleeps = 0;
    for (int i = 0; i < 400; i++)
    {
        ASSERT_TRUE(iterate(platform.delays.empty() ? 0 : platform.delays.back()));
        longSleeps += platform.delays.back() > 1;
    }
    const uint32_t ticks = static_cast<uint32_t>(PaletteTickCounter);
    EXPECT_EQ(ticks * 18 + state.accumulator, state.lastTime);
    EXPECT_EQ(platform.count("present"), static_cast<int>(ticks));
    EXPECT_EQ(FrameCounter - framesBefore, ticks) << "each composed frame counted: the title's prompt blinks by it";
    EXPECT_LE(longSleeps, static_cast<int>(ticks) + 1);
    EXPECT_GT(ticks, 30u);
}

TEST_F(MainLoop, QuitEventLeavesAtOnceSkippingTheRestOfQueueAndIteration)
{
    platform.events.push_back({EventQuit, 0});
    platform.keys({' '});
    EXPECT_FALSE(iterate(100));
    EXPECT_FALSE(ModeActive);
    EXPECT_EQ(platform.events.size(), 1u);
    EXPECT_EQ(PaletteTickCounter, 0);
    EXPECT_TRUE(platform.log.empty());
}

TEST_F(MainLoop, EscapeOnTitleEndsAfterTicksAndAudioUpdateWithoutPresenting)
{
    for (AudioSlot& slot : AudioSlots)
    {
        slot.titleMusic = false;
    }
    platform.keys({KeyEscape});
    EXPECT_FALSE(iterate(2 * 18));
    EXPECT_TRUE(QuitRequested);
    EXPECT_EQ(PaletteTickCounter, 2);
    // AudioUpdate ran: it told the mixer that the title screen is showing.
    EXPECT_TRUE(std::any_of(std::begin(AudioSlots), std::end(AudioSlots),
                            [](const AudioSlot& slot) { return slot.titleMusic; }));
    EXPECT_EQ(platform.log, std::vector<std::string>{}) << "no present, no sleep";
}

TEST_F(ShellEvents, TheKeyThatStartsAGameIsNotPassedOnButItsReleaseAndArrowsAreAndShiftOnlyStarts)
{
    // Shift starts a game too, and does nothing during one.
    for (int32_t key : {int32_t{' '}, KeyLeft, KeyLeftShift})
    {
        platform.keys({key});
        ASSERT_TRUE(iterate());
        ASSERT_TRUE(ModeActive);
        EXPECT_EQ(platform.log.front(), "repeat-off") << "key repeat is off from the first game on";
        EXPECT_EQ(ActiveMode->tick, 1u);  // StartGame's own update, no more
        EXPECT_TRUE(held().empty());
        // Released though the mode never saw it pressed; arrows arrive as
        // their buttons in order.
        platform.keys({-key, KeyRight, KeyUp, KeyLeft, KeyDown, KeyLeftShift});
        ASSERT_TRUE(iterate());
        EXPECT_TRUE(ModeActive);
        EXPECT_EQ(ActiveMode->tick, 1u);
        EXPECT_EQ(held(), (std::list<int32_t>{ButtonRight, ButtonUp, ButtonLeft, ButtonDown}));
        EndGame();
    }
    EXPECT_EQ(platform.count("repeat-off"), 3) << "once per game, never between";
}

TEST_F(ShellEvents, EscapeDuringAGameReturnsToTheTitleEscapeThereQuitsAndZAfterEscapeStartsAgain)
{
    StartGame();
    platform.keys({KeyEscape});
    ASSERT_TRUE(iterate(18));
    EXPECT_EQ(ActiveMode, nullptr);
    EXPECT_FALSE(QuitRequested);
    EXPECT_EQ(platform.count("present"), 1);  // the title screen is shown again
    platform.keys({KeyEscape});
    EXPECT_FALSE(iterate(18));
    EXPECT_TRUE(QuitRequested);

    // Escape then Z in one poll ends a game and starts a fresh one.
    QuitRequested = false;
    StartGame();
    ASSERT_TRUE(iterate(10 * 18));
    platform.keys({KeyEscape, 'z'});
    ASSERT_TRUE(iterate());
    ASSERT_TRUE(ModeActive);
    EXPECT_EQ(ActiveMode->tick, 1u);
    EXPECT_TRUE(held().empty());
    EXPECT_FALSE(QuitRequested);
}

TEST_F(ShellEvents, PrintScreenTakesAScreenshotBeforeTheIterationDrawsAnything)
{
    platform.keys({KeyPrintScreen, -KeyPrintScreen});
    platform.events.push_back({4, 0});  // mouse motion: ignored
    ASSERT_TRUE(iterate());
    EXPECT_FALSE(ModeActive) << "on the title it only takes the screenshot";
    EXPECT_EQ(platform.log, (std::vector<std::string>{"screenshot", "delay"}));

    // Print Screen then Escape in one poll: the picture saved is the game's.
    StartGame();
    platform.log.clear();
    platform.keys({KeyPrintScreen, KeyEscape});
    ASSERT_TRUE(iterate(18));
    EXPECT_EQ(platform.log, (std::vector<std::string>{"screenshot", "present", "delay"}));
}

TEST_F(ShellEvents, AHeldScreenshotKeyTakesOnePictureAndEachKeyIsAPressOfItsOwn)
{
    // Key repeat is on at the title: a held key sends a key-down every 30 ms.
    platform.events.assign(40, {EventKeyDown, KeyPrintScreen});
    ASSERT_TRUE(iterate(18));
    EXPECT_EQ(platform.count("screenshot"), 1);
    EXPECT_FALSE(ModeActive) << "the repeats start no game either";

    // F12 while Print Screen is still held is a press of its own.
    platform.keys({KeyF12, KeyF12});
    ASSERT_TRUE(iterate(18));
    EXPECT_EQ(platform.count("screenshot"), 2);

    // Let go and pressed again, each is one more picture, in a game too.
    platform.keys({-KeyPrintScreen, KeyPrintScreen, KeyPrintScreen, -KeyF12, KeyF12});
    ASSERT_TRUE(iterate(18));
    EXPECT_EQ(platform.count("screenshot"), 4);
    StartGame();
    platform.keys({-KeyF12, KeyF12, KeyF12, -KeyF12, KeyF12});
    ASSERT_TRUE(iterate(18));
    EXPECT_EQ(platform.count("screenshot"), 6);
    EXPECT_TRUE(held().empty()) << "the screenshot keys are no buttons";
}
