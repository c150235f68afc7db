// What a presented frame shows: the title screen with no game mode active,
// else the mode's own drawing, always on a cleared buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/shell.h"
#include "game/game_state.h"
#include "gfx/screen_buffer.h"
#include "gfx/title_picture.h"
#include "gfx/title_screen.h"

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
