// The main loop's arithmetic and order: ticks from milliseconds, the sleep
// policy, and what one iteration does with a scripted platform.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/main_loop.h"
#include "app/shell.h"
#include "audio/mixer.h"
#include "game/game_state.h"
#include "gfx/palette.h"
#include "tests/app/fake_platform.h"

namespace
{
class MainLoop : public ::testing::Test
{
protected:
    FakePlatform platform;

    void SetUp() override
    {
        std::srand(7);
        EndGame();
        QuitRequested = false;
        ShellClock = 0;
        CurrentPlatform = &platform;
        PaletteDriftSpeed = 24;
        PaletteTickCounter = 0;
        AudioStartupState();
    }

    void TearDown() override
    {
        EndGame();
        QuitRequested = false;
        CurrentPlatform = nullptr;
    }
};
}

TEST(TickAccounting, FortyTicksDueRunThirtyTwoAndKeepOnlyTheRemainder)
{
    MainLoopState state = StartMainLoopState(1000);
    EXPECT_EQ(TakeDueTicks(state, 1000 + 40 * 18 + 7), 32u);
    EXPECT_EQ(state.accumulator, 7u);
    // The eight ticks beyond the cap are gone, not owed; part ticks carry.
    EXPECT_EQ(TakeDueTicks(state, 1000 + 40 * 18 + 7), 0u);
    EXPECT_EQ(TakeDueTicks(state, 1000 + 40 * 18 + 7 + 15), 1u);  // 7 + 15 ms
    EXPECT_EQ(state.accumulator, 4u);
}

TEST(TickAccounting, WrapOfTheMillisecondClockCountsOnlyTheElapsedTime)
{
    MainLoopState state = StartMainLoopState(0xFFFFFFF0u);  // 16 ms before the wrap
    EXPECT_EQ(TakeDueTicks(state, 20), 2u);                 // 36 ms later
    EXPECT_EQ(state.accumulator, 0u);
    EXPECT_EQ(state.lastTime, 20u);
}

TEST(SleepPolicy, LongSleepsOnlyWhileNotRested)
{
    struct Case
    {
        bool rested;
        uint32_t ticks;
        uint32_t sleep;
        bool restedAfter;
    };
    const Case cases[] = {
        {false, 0, 9, true}, {false, 1, 6, true},  {false, 2, 1, false}, {false, 32, 1, false},
        {true, 0, 1, true},  {true, 1, 1, false},  {true, 32, 1, false},
    };
    for (const Case& c : cases)
    {
        bool rested = c.rested;
        EXPECT_EQ(SleepAfterIteration(rested, c.ticks), c.sleep) << c.rested << " " << c.ticks;
        EXPECT_EQ(rested, c.restedAfter) << c.rested << " " << c.ticks;
    }
}

TEST_F(MainLoop, SteadyRunningTakesAtMostOneLongSleepPerTickAndPresentsOncePerTick)
{
    // A clock that moves only by the loop's own sleeps.
    MainLoopState state = StartMainLoopState(platform.now);
    int longSleeps = 0;
    for (int i = 0; i < 400; i++)
    {
        ASSERT_TRUE(RunMainLoopIteration(platform, state));
        platform.now += platform.delays.back();
        longSleeps += platform.delays.back() > 1;
    }
    uint32_t ticks = static_cast<uint32_t>(PaletteTickCounter);
    EXPECT_EQ(ticks * 18 + state.accumulator, state.lastTime);
    EXPECT_EQ(platform.presents, static_cast<int>(ticks));
    EXPECT_LE(longSleeps, static_cast<int>(ticks) + 1);
    EXPECT_GT(ticks, 30u);
}

TEST_F(MainLoop, IterationWithFortyTicksDueRunsThirtyTwoUpdatesAndPaletteTicks)
{
    StartGame();
    MainLoopState state = StartMainLoopState(platform.now);
    platform.now += 40 * 18;
    ASSERT_TRUE(RunMainLoopIteration(platform, state));
    int32_t paletteTicksBefore = PaletteTickCounter;
    uint32_t tickBefore = ActiveMode->tick;

    platform.now += 40 * 18 + 5;
    ASSERT_TRUE(RunMainLoopIteration(platform, state));
    EXPECT_EQ(ActiveMode->tick - tickBefore, 32u);
    EXPECT_EQ(PaletteTickCounter - paletteTicksBefore, 32);
    EXPECT_EQ(state.accumulator, 5u);
    EXPECT_EQ(platform.presents, 2);
}

TEST_F(MainLoop, FirstTickAfterStartGameRunsNoUpdate)
{
    StartGame();
    EXPECT_EQ(ActiveMode->tick, 1u);
    EXPECT_EQ(ShellClock, 0u);
    CatchUpUpdates(1);
    EXPECT_EQ(ActiveMode->tick, 1u);
    EXPECT_EQ(ShellClock, 1u);
    CatchUpUpdates(3);
    EXPECT_EQ(ActiveMode->tick, 4u);
    EXPECT_EQ(ShellClock, 4u);
}

TEST_F(MainLoop, IterationWithoutTicksPresentsNothingButStillSleeps)
{
    MainLoopState state = StartMainLoopState(platform.now);
    platform.now += 17;
    ASSERT_TRUE(RunMainLoopIteration(platform, state));
    EXPECT_EQ(platform.presents, 0);
    EXPECT_EQ(PaletteTickCounter, 0);
    ASSERT_EQ(platform.delays.size(), 1u);
    EXPECT_EQ(platform.delays[0], 9u);
}

TEST_F(MainLoop, QuitEventLeavesAtOnceSkippingTheRestOfQueueAndIteration)
{
    MainLoopState state = StartMainLoopState(platform.now);
    platform.now += 100;
    platform.quit();
    platform.keyDown(' ');
    EXPECT_FALSE(RunMainLoopIteration(platform, state));
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
    MainLoopState state = StartMainLoopState(platform.now);
    platform.now += 2 * 18;
    platform.keyDown(KeyEscape);
    EXPECT_FALSE(RunMainLoopIteration(platform, state));
    EXPECT_TRUE(QuitRequested);
    EXPECT_EQ(PaletteTickCounter, 2);
    // AudioUpdate ran: it told the mixer that the title screen is showing.
    bool titleMusicPublished = false;
    for (const AudioSlot& slot : AudioSlots)
    {
        titleMusicPublished = titleMusicPublished || slot.titleMusic;
    }
    EXPECT_TRUE(titleMusicPublished);
    EXPECT_EQ(platform.presents, 0);
    EXPECT_TRUE(platform.delays.empty());
}
