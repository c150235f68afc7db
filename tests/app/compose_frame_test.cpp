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
    ModeActive = false;
    FrameCounter = 41;
    std::memset(ScreenBuffer, 6, sizeof(ScreenBuffer));
    ComposeFrame();
    EXPECT_EQ(FrameCounter, 42u);
    EXPECT_EQ(ScreenBuffer[PixelOffset(0, 0)], 0);
    EXPECT_EQ(ScreenBuffer[PixelOffset(5, 82)], 3);  // the title's first column

    ActiveMode = std::make_unique<MarkingMode>();
    ModeActive = true;
    std::memset(ScreenBuffer, 6, sizeof(ScreenBuffer));
    ComposeFrame();
    EXPECT_EQ(ScreenBuffer[PixelOffset(1, 1)], 8);
    EXPECT_EQ(ScreenBuffer[PixelOffset(5, 82)], 0);
    ModeActive = false;
    ActiveMode.reset();
}
