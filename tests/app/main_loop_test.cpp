// The main loop's arithmetic and order: ticks from milliseconds, the sleep
// policy, what one iteration does with a scripted platform, and what a
// presented frame shows: the title screen with no game mode active, else the
// mode's own drawing, always on a cleared buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "game/game_state.h"
#include "gfx/screen_buffer.h"
#include "gfx/title_picture.h"
#include "gfx/title_screen.h"
#include "tests/app/fake_platform.h"

using MainLoop = ShellTest;

TEST(TickAccounting, WrapOfTheMillisecondClockCountsOnlyTheElapsedTime)
{
    MainLoopState state = StartMainLoopState(0xFFFFFFF0u);  // 16 ms before the wrap
    EXPECT_EQ(TakeDueTicks(state, 20), 2u);                 // 36 ms later
    EXPECT_EQ(state.accumulator, 0u);
    EXPECT_EQ(state.lastTime, 20u);
}

TEST_F(MainLoop, FortyTicksDueRunThirtyTwoTicksTheFirstAfterStartGameWithoutAnUpdateAndTheRestAreDropped)
{
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
    EXPECT_EQ(platform.presents(), 2);
    ASSERT_TRUE(iterate(13));
    EXPECT_EQ(ActiveMode->tick - tickBefore, 33u);
    EXPECT_EQ(state.accumulator, 0u);
}

TEST_F(MainLoop, SteadyRunningTakesAtMostOneLongSleepPerTickAndPresentsOncePerTick)
{
    // A clock that moves only by the loop's own sleeps.
    int longSleeps = 0;
    for (int i = 0; i < 400; i++)
    {
        ASSERT_TRUE(iterate(platform.delays.empty() ? 0 : platform.delays.back()));
        longSleeps += platform.delays.back() > 1;
    }
    const uint32_t ticks = static_cast<uint32_t>(PaletteTickCounter);
    EXPECT_EQ(ticks * 18 + state.accumulator, state.lastTime);
    EXPECT_EQ(platform.presents(), static_cast<int>(ticks));
    EXPECT_LE(longSleeps, static_cast<int>(ticks) + 1);
    EXPECT_GT(ticks, 30u);
}

TEST_F(MainLoop, QuitEventLeavesAtOnceSkippingTheRestOfQueueAndIteration)
{
    platform.events.push_back({EventQuit, 0});
    platform.keyDown(' ');
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
    platform.keyDown(KeyEscape);
    EXPECT_FALSE(iterate(2 * 18));
    EXPECT_TRUE(QuitRequested);
    EXPECT_EQ(PaletteTickCounter, 2);
    // AudioUpdate ran: it told the mixer that the title screen is showing.
    EXPECT_TRUE(std::any_of(std::begin(AudioSlots), std::end(AudioSlots),
                            [](const AudioSlot& slot) { return slot.titleMusic; }));
    EXPECT_EQ(platform.presents(), 0);
    EXPECT_TRUE(platform.delays.empty());
}

namespace
{
// A stand-in mode that leaves one mark.
class MarkingMode : public GameState
{
public:
    void draw() override { ScreenBuffer[PixelOffset(1, 1)] = 8; }
};
}  // namespace

TEST(ComposeFrame, CountsTheFrameAndDrawsTheTitleOrTheActiveModeOnACleanBuffer)
{
    std::memset(TitlePicture, 0, sizeof(TitlePicture));
    FrameCounter = 41;
    for (bool active : {false, true})
    {
        ActiveMode = active ? std::make_unique<MarkingMode>() : nullptr;
        ModeActive = active;
        std::memset(ScreenBuffer, 6, sizeof(ScreenBuffer));
        ComposeFrame();
        EXPECT_EQ(ScreenBuffer[PixelOffset(0, 0)], 0) << active;
        EXPECT_EQ(ScreenBuffer[PixelOffset(1, 1)], active ? 8 : 0);
        EXPECT_EQ(ScreenBuffer[PixelOffset(5, 82)], active ? 0 : 3);  // the title's first column
    }
    EXPECT_EQ(FrameCounter, 43u);
    ModeActive = false;
    ActiveMode.reset();
}
