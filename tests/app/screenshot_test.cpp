// Screenshots as files a player finds: their numbering, that nothing is
// overwritten, and that the PNG shows the presented picture stretched to the
// window exactly as the quad stretches it.
#include <gtest/gtest.h>

#include <unistd.h>

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
const std::vector<uint8_t> Staging = PositionImage();

std::string ReadAll(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
}

TEST_F(Screenshots, PressesTakeTheNextFreeNumberAndNeverOverwrite)
{
    std::ofstream("screen1.png") << "an earlier run";
    std::ofstream("screen3.png") << "another";
    for (int i = 0; i < 3; i++)
    {
        SaveScreenshot(Staging.data(), 32, 24);
    }
    EXPECT_EQ(ReadAll("screen1.png"), "an earlier run");
    EXPECT_EQ(ReadAll("screen3.png"), "another");
    for (const char* name : {"screen0.png", "screen2.png", "screen4.png"})
    {
        EXPECT_TRUE(fs::exists(name)) << name;
    }
    EXPECT_FALSE(fs::exists("screen5.png"));
    EXPECT_EQ(ScreenshotCounter, 5);
}

TEST_F(Screenshots, FailedWriteStillAdvancesTheCounter)
{
    // A dangling link looks absent, but creating the file through it fails:
    // the write fails and the next press moves on to the next number.
    fs::create_symlink("missing/target.png", "screen0.png");
    SaveScreenshot(Staging.data(), 8, 6);
    EXPECT_EQ(ScreenshotCounter, 1);
    EXPECT_TRUE(fs::is_symlink("screen0.png"));
    EXPECT_FALSE(fs::exists("missing"));

    SaveScreenshot(Staging.data(), 8, 6);
    EXPECT_TRUE(fs::is_regular_file("screen1.png"));
    EXPECT_EQ(ScreenshotCounter, 2);
}

TEST_F(Screenshots, PngHoldsTheWindowSizeWithTheTopRowFirst)
{
    SaveScreenshot(Staging.data(), 1024, 768);
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

TEST(ScreenshotScaling, OddWindowSizesShowEveryPixelInOrderCornerToCorner)
{
    for (auto [width, height] : {std::pair{1366, 768}, {300, 200}, {1920, 1080}})
    {
        std::vector<uint8_t> out(static_cast<size_t>(width) * height * 4);
        ScaleDisplayImage(Staging.data(), width, height, out.data());
        // Along the top row x runs 0..127 and down the left column y runs
        // 95..0, each step at most one pixel: nothing dropped, nothing mixed.
        auto at = [&](int row, int column) { return &out[(static_cast<size_t>(row) * width + column) * 4]; };
        for (int column = 1; column < width; column++)
        {
            const int step = at(0, column)[0] - at(0, column - 1)[0];
            ASSERT_TRUE(step == 0 || step == 1) << width << " at column " << column;
        }
        for (int row = 1; row < height; row++)
        {
            const int step = at(row - 1, 0)[1] - at(row, 0)[1];
            ASSERT_TRUE(step == 0 || step == 1) << height << " at row " << row;
        }
        EXPECT_EQ(at(0, 0)[0], 0);
        EXPECT_EQ(at(0, 0)[1], 95);
        EXPECT_EQ(at(height - 1, width - 1)[0], 127);
        EXPECT_EQ(at(height - 1, width - 1)[1], 0);
    }
}

TEST(ScreenshotScaling, NothingPresentedYetGivesOpaqueBlack)
{
    std::vector<uint8_t> out(16 * 12 * 4, 77);
    ScaleDisplayImage(nullptr, 16, 12, out.data());
    std::vector<uint8_t> black;
    for (int i = 0; i < 16 * 12; i++)
    {
        black.insert(black.end(), {0, 0, 0, 255});
    }
    EXPECT_EQ(out, black);
}
