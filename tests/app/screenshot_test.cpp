// Screenshots as files a player finds: their numbering, that nothing is
// overwritten, and that the PNG shows the presented picture stretched to the
// window exactly as the quad stretches it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/screenshot.h"
#include "gfx/display_image.h"

#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace
{
namespace fs = std::filesystem;

// Runs each test in a fresh empty working directory.
class Screenshots : public ::testing::Test
{
protected:
    fs::path previous;
    fs::path directory;

    void SetUp() override
    {
        previous = fs::current_path();
        char pattern[] = "/tmp/mirelantha-shots-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        fs::current_path(directory);
        ScreenshotCounter = 0;
    }

    void TearDown() override
    {
        fs::current_path(previous);
        fs::remove_all(directory);
        ScreenshotCounter = 0;
    }
};

// A staging image whose used block encodes each pixel's position:
// R = x, G = y, B = 200, alpha as at start-up (255).
std::vector<uint8_t> PositionImage()
{
    std::vector<uint8_t> staging(DisplayImageBytes, 0);
    for (int x = 0; x < 128; x++)
    {
        for (int y = 0; y < 96; y++)
        {
            uint8_t* texel = &staging[DisplayTexelOffset(x, y)];
            texel[0] = static_cast<uint8_t>(x);
            texel[1] = static_cast<uint8_t>(y);
            texel[2] = 200;
            texel[3] = 255;
        }
    }
    return staging;
}

std::string ReadAll(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
}

TEST_F(Screenshots, ThreePressesWriteScreenZeroOneAndTwo)
{
    std::vector<uint8_t> staging = PositionImage();
    for (int i = 0; i < 3; i++)
    {
        SaveScreenshot(staging.data(), 64, 48);
    }
    EXPECT_TRUE(fs::exists("screen0.png"));
    EXPECT_TRUE(fs::exists("screen1.png"));
    EXPECT_TRUE(fs::exists("screen2.png"));
    EXPECT_FALSE(fs::exists("screen3.png"));
    EXPECT_EQ(ScreenshotCounter, 3);
}

TEST_F(Screenshots, ExistingFilesAreSkippedNotOverwritten)
{
    std::ofstream("screen0.png") << "an earlier run";
    std::ofstream("screen2.png") << "another";
    std::vector<uint8_t> staging = PositionImage();
    SaveScreenshot(staging.data(), 32, 24);
    SaveScreenshot(staging.data(), 32, 24);
    EXPECT_EQ(ReadAll("screen0.png"), "an earlier run");
    EXPECT_EQ(ReadAll("screen2.png"), "another");
    EXPECT_TRUE(fs::exists("screen1.png"));
    EXPECT_TRUE(fs::exists("screen3.png"));
    EXPECT_EQ(ScreenshotCounter, 4);
}

TEST_F(Screenshots, FailedWriteStillAdvancesTheCounter)
{
    // A dangling link looks absent, but creating the file through it fails:
    // the write fails and the next press moves on to the next number.
    fs::create_symlink("missing/target.png", "screen0.png");
    std::vector<uint8_t> staging = PositionImage();
    SaveScreenshot(staging.data(), 8, 6);
    EXPECT_EQ(ScreenshotCounter, 1);
    EXPECT_TRUE(fs::is_symlink("screen0.png"));
    EXPECT_FALSE(fs::exists("missing"));

    SaveScreenshot(staging.data(), 8, 6);
    EXPECT_TRUE(fs::is_regular_file("screen1.png"));
    EXPECT_EQ(ScreenshotCounter, 2);
}

TEST_F(Screenshots, PngHoldsTheWindowSizeWithTheTopRowFirst)
{
    std::vector<uint8_t> staging = PositionImage();
    SaveScreenshot(staging.data(), 1024, 768);
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load("screen0.png", &width, &height, &channels, 4);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_EQ(channels, 4);
    // 8 x 8 window pixels per framebuffer pixel; row 0 is the top (y = 95).
    for (int row : {0, 7, 8, 400, 767})
    {
        for (int column : {0, 7, 8, 513, 1023})
        {
            const stbi_uc* p = pixels + (row * 1024 + column) * 4;
            EXPECT_EQ(p[0], column / 8) << row << "," << column;
            EXPECT_EQ(p[1], 95 - row / 8) << row << "," << column;
            EXPECT_EQ(p[2], 200);
            EXPECT_EQ(p[3], 255);
        }
    }
    stbi_image_free(pixels);
}

TEST(ScreenshotScaling, OddWindowSizesPickThePixelUnderEachWindowPixelCentre)
{
    std::vector<uint8_t> staging = PositionImage();
    const int sizes[][2] = {{1366, 768}, {300, 200}, {100, 50}, {1920, 1080}};
    for (const auto& size : sizes)
    {
        int width = size[0], height = size[1];
        std::vector<uint8_t> out(static_cast<size_t>(width) * height * 4);
        ScaleDisplayImage(staging.data(), width, height, out.data());
        for (int row = 0; row < height; row++)
        {
            int y = static_cast<int>(std::floor((height - 1 - row + 0.5) * 96.0 / height));
            for (int column = 0; column < width; column++)
            {
                int x = static_cast<int>(std::floor((column + 0.5) * 128.0 / width));
                const uint8_t* p = &out[(static_cast<size_t>(row) * width + column) * 4];
                ASSERT_EQ(p[0], x) << width << "x" << height << " at " << row << "," << column;
                ASSERT_EQ(p[1], y) << width << "x" << height << " at " << row << "," << column;
            }
        }
        // The corners show the framebuffer's corners: (0, 95) top left, (127, 0) bottom right.
        EXPECT_EQ(out[0], 0);
        EXPECT_EQ(out[1], 95);
        const uint8_t* last = &out[out.size() - 4];
        EXPECT_EQ(last[0], 127);
        EXPECT_EQ(last[1], 0);
    }
}

TEST(ScreenshotScaling, NothingPresentedYetGivesOpaqueBlack)
{
    std::vector<uint8_t> out(16 * 12 * 4, 77);
    ScaleDisplayImage(nullptr, 16, 12, out.data());
    for (size_t i = 0; i < out.size(); i += 4)
    {
        ASSERT_EQ(out[i], 0);
        ASSERT_EQ(out[i + 1], 0);
        ASSERT_EQ(out[i + 2], 0);
        ASSERT_EQ(out[i + 3], 255);
    }
}
