// The title screen as it lands in the ScreenBuffer: title, picture, key help,
// subtitle and the blinking prompt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "gfx/screen_buffer.h"
#include "gfx/title_picture.h"
#include "gfx/title_screen.h"

namespace
{
int8_t Pixel(int x, int y)
{
    return ScreenBuffer[PixelOffset(x, y)];
}

void DrawFresh()
{
    ClearScreenBuffer();
    DrawTitleScreen();
}

class TitleScreen : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::memset(TitlePicture, 0, sizeof(TitlePicture));
        FrameCounter = 0;
    }
};
}

TEST_F(TitleScreen, TitleIsDrawnDoubleSizeFromXFiveAcross118Pixels)
{
    DrawFresh();
    int left = ScreenWidth;
    int right = -1;
    for (int x = 0; x < ScreenWidth; x++)
    {
        for (int y = 82; y < 92; y++)
        {
            EXPECT_TRUE(Pixel(x, y) == 0 || Pixel(x, y) == 3);
            left = Pixel(x, y) != 0 ? std::min(left, x) : left;
            right = Pixel(x, y) != 0 ? std::max(right, x) : right;
        }
    }
    // The last "s" starts at 5 + 2 * 55 = 115 and its third column ends at 120.
    EXPECT_EQ(left, 5);
    EXPECT_EQ(right, 120);
    // "l" is one column of 2 x 2 blocks from y 82 to 91.
    EXPECT_EQ(Pixel(6, 91), 3);
    EXPECT_EQ(Pixel(5, 92), 0);
}

TEST_F(TitleScreen, PromptBlinksSixFramesInBlueAndFourInPurple)
{
    // "start" is centred at x = 54; its "s" top row ".##.." puts a pixel at (55, 6).
    for (uint32_t frame = 10; frame <= 19; frame++)
    {
        FrameCounter = frame;
        DrawFresh();
        EXPECT_EQ(Pixel(55, 6), frame <= 15 ? 5 : 6) << "frame " << frame;
    }
}

TEST_F(TitleScreen, PictureCellsLandAtTheirOffsetAndZeroIsTransparent)
{
    TitlePicture[0][0] = 7;
    TitlePicture[63][63] = -1;
    TitlePicture[10][20] = 256;  // low byte 0: writes colour 0
    TitlePicture[11][20] = 0;
    TitlePicture[12][20] = 263;  // low byte 7
    ClearScreenBuffer();
    ScreenBuffer[PixelOffset(42, 38)] = 9;
    ScreenBuffer[PixelOffset(43, 38)] = 9;
    DrawTitleScreen();

    EXPECT_EQ(Pixel(32, 18), 7);
    EXPECT_EQ(static_cast<uint8_t>(Pixel(95, 81)), 255);
    EXPECT_EQ(Pixel(42, 38), 0);
    EXPECT_EQ(Pixel(43, 38), 9);
    EXPECT_EQ(Pixel(44, 38), 7);
}

TEST_F(TitleScreen, KeyHelpAndSubtitleSitAtTheirPositionsOverThePicture)
{
    for (auto& column : TitlePicture)
    {
        std::fill(std::begin(column), std::end(column), 2);
    }
    DrawFresh();
    // Picture everywhere in x 32..95, y 18..81 except where text is set.
    EXPECT_EQ(Pixel(32, 81), 2);
    EXPECT_EQ(Pixel(96, 50), 0);
    // "select" at 38 + 28 = 66: "s" bottom row "##...", row 1 "#....".
    EXPECT_EQ(Pixel(67, 16), 1);
    EXPECT_EQ(Pixel(67, 19), 2);
    // "zxcvbnm" at (28, 9), then "place tile" at 28 + 35 = 63.
    EXPECT_EQ(Pixel(28, 9), 9);
    EXPECT_EQ(Pixel(63, 9), 1);
    // "design problem solving" centred at x = 20, y = 74: "g" at x 34 with its
    // middle row "#.##.".
    EXPECT_EQ(Pixel(20, 78), 4);
    EXPECT_EQ(Pixel(36, 76), 4);
}
