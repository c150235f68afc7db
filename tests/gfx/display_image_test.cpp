// Turning a composed ScreenBuffer into the display texture's staging image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "app/shell.h"
#include "app/title_picture.h"
#include "game/game_state.h"
#include "gfx/display_image.h"
#include "gfx/palette.h"
#include "gfx/screen_buffer.h"
#include "gfx/title_screen.h"

namespace
{
std::vector<uint8_t> NoiseImage(unsigned seed)
{
    srand(seed);
    std::vector<uint8_t> image(DisplayImageBytes);
    InitDisplayImage(image.data());
    return image;
}

void RandomScreen()
{
    for (int8_t& p : ScreenBuffer)
    {
        p = static_cast<int8_t>(rand() % 256);
    }
}

// A stand-in mode that leaves one mark.
class MarkingMode : public GameState
{
public:
    void draw() override
    {
        ScreenBuffer[PixelOffset(1, 1)] = 8;
    }
};
}

TEST(DisplayImage, StartsAsOpaqueNoiseDrawnTexelByTexel)
{
    srand(42);
    int draws[4];
    for (int& d : draws)
    {
        d = rand() % 255;
    }
    const std::vector<uint8_t> image = NoiseImage(42);
    EXPECT_EQ(std::vector<int>(image.begin(), image.begin() + 3), std::vector<int>(draws, draws + 3));
    EXPECT_EQ(image[4], draws[3]);
    for (size_t i = 0; i < image.size(); i += 4)
    {
        ASSERT_EQ(image[i + 3], 255) << "texel " << i / 4;
        ASSERT_LT(image[i], 255);
    }
}

TEST(DisplayImage, TableDrivenFillMatchesThePlainConversion)
{
    srand(7);
    InitPalettes();
    PaletteDriftSpeed = 24;
    PaletteTickCounter = 0;
    for (int frame = 0; frame < 5; frame++)
    {
        // Jitter past 0..1 exercises the clamping of both paths.
        LivePalette[7][frame & 1][0] = 1.07f;
        LivePalette[0][frame & 1][1] = -0.05f;
        RandomScreen();
        std::vector<uint8_t> fast = NoiseImage(frame);
        std::vector<uint8_t> plain = fast;
        FillDisplayImage(fast.data());
        FillDisplayImagePlain(plain.data());
        ASSERT_EQ(fast, plain) << "frame " << frame;
        for (int i = 0; i < 300; i++)
        {
            PaletteTick();
        }
    }
}

TEST(DisplayImage, StoresPixelsTransposedAndLeavesAlphaAndTheUnusedTexelsAlone)
{
    for (int i = 0; i < PaletteColours * 2; i++)
    {
        std::copy(BasePalette[i / 2], BasePalette[i / 2] + 3, LivePalette[i / 2][i % 2]);
    }
    LivePalette[3][1][0] = 0.5f;  // odd rows of colour 3 a little redder
    ClearScreenBuffer();
    ScreenBuffer[PixelOffset(0, 0)] = 7;
    ScreenBuffer[PixelOffset(127, 95)] = 3;
    ScreenBuffer[PixelOffset(5, 2)] = 3;
    ScreenBuffer[PixelOffset(5, 3)] = 3;
    ScreenBuffer[PixelOffset(6, 0)] = -1;

    std::vector<uint8_t> image(DisplayImageBytes, 77);
    FillDisplayImage(image.data());

    // Bottom-left pixel in texel (0, 0), top-right in texel (95, 127).
    EXPECT_EQ(image[0], 255);
    EXPECT_EQ(image[1], 0);
    EXPECT_EQ(image[3], 77);
    EXPECT_EQ(image[127 * 1024 + 95 * 4 + 0], 127);  // odd row: 0.5 red
    EXPECT_EQ(image[127 * 1024 + 95 * 4 + 1], 168);
    // The same index on neighbouring rows: 0.72 * 255 = 183 against 127.
    EXPECT_EQ(image[5 * 1024 + 2 * 4], 183);
    EXPECT_EQ(image[5 * 1024 + 3 * 4], 127);
    EXPECT_EQ(image[6 * 1024 + 0], 0);
    EXPECT_EQ(image[DisplayTexelOffset(6, 0) + 2], 0);

    for (int t = 0; t < DisplayTextureSize; t++)
    {
        for (int s = 0; s < DisplayTextureSize; s++)
        {
            const int offset = (t * DisplayTextureSize + s) * 4;
            ASSERT_EQ(image[offset + 3], 77);
            if (t >= ScreenWidth || s >= ScreenHeight)
            {
                ASSERT_EQ(image[offset], 77) << "s " << s << " t " << t;
            }
        }
    }
}

TEST(ComposeFrame, CountsTheFrameAndDrawsTheTitleOrTheActiveModeOnACleanBuffer)
{
    std::memset(TitlePicture, 0, sizeof(TitlePicture));
    ModeActive = false;
    FrameCounter = 41;
    std::memset(ScreenBuffer, 6, sizeof(ScreenBuffer));
    ComposeFrame();
    EXPECT_EQ(FrameCounter, 42u);
    EXPECT_EQ(ScreenBuffer[PixelOffset(0, 0)], 0);
    EXPECT_EQ(ScreenBuffer[PixelOffset(127, 95)], 0);
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
