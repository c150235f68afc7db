// Turning a composed ScreenBuffer into the display texture's staging image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "app/shell.h"
#include "game/game_state.h"
#include "gfx/display_image.h"
#include "gfx/palette.h"
#include "gfx/screen_buffer.h"
#include "gfx/title_picture.h"
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

// A stand-in mode that leaves one mark.
class MarkingMode : public GameState
{
public:
    void draw() override { ScreenBuffer[PixelOffset(1, 1)] = 8; }
};
}

TEST(DisplayImage, StartsAsOpaqueNoiseDrawnTexelByTexel)
{
    srand(42);
    const int draws[4] = {rand() % 255, rand() % 255, rand() % 255, rand() % 255};
    const std::vector<uint8_t> image = NoiseImage(42);
    EXPECT_EQ((std::vector<int>{image[0], image[1], image[2], image[4]}),
              (std::vector<int>{draws[0], draws[1], draws[2], draws[3]}));
    for (size_t i = 0; i < image.size(); i += 4)
    {
        ASSERT_EQ(image[i + 3], 255) << "texel " << i / 4;
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
        std::generate(std::begin(ScreenBuffer), std::end(ScreenBuffer), [] { return static_cast<int8_t>(rand()); });
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
