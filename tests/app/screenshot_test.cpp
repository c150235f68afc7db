// Screenshots as files a player finds, and the presented picture stretched to
// any window size. The play-through compares whole screenshots with the screens.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/pictures_folder.h"
#include "app/screenshot.h"
#include "gfx/display_image.h"
#include "tests/test_platform.h"
#ifndef _WIN32
#include "tests/small_disk.h"
#endif

namespace
{
namespace fs = std::filesystem;

// Runs each test in a fresh empty working directory.
class Screenshots : public ::testing::Test
{
protected:
    const ScratchFolder scratch{"mirelantha-shots-"};
    const KeepWorkingDirectory keep;

    void SetUp() override
    {
        fs::current_path(scratch.path);
        ScreenshotCounter = 0;
    }
};

// A staging image whose used block encodes each pixel's position:
// R = x, G = y, B = 200, alpha as at start-up (255).
std::vector<uint8_t> PositionImage()
{
    std::vector<uint8_t> staging(DisplayImageBytes, 0);
    for (int i = 0; i < 128 * 96; i++)
    {
        std::copy_n(std::array<int, 4>{i / 96, i % 96, 200, 255}.begin(), 4, &staging[DisplayTexelOffset(i / 96, i % 96)]);
    }
    return staging;
}
const std::vector<uint8_t> Staging = PositionImage();

#ifndef _WIN32
// The player's home for one scope: HOME, with no XDG_CONFIG_HOME, so that the
// user-dirs file is home/.config/user-dirs.dirs. Only Linux finds the
// pictures folder from the environment; the tests that need one need a small
// disk too, which Windows cannot mount for them.
class PlayerHome
{
public:
    explicit PlayerHome(const fs::path& home)
    {
        setenv("HOME", home.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
    }
    ~PlayerHome()
    {
        setenv("HOME", keptHome.c_str(), 1);
        keptConfig.empty() ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", keptConfig.c_str(), 1);
    }

private:
    const std::string keptHome = std::getenv("HOME") ? std::getenv("HOME") : "/";
    const std::string keptConfig = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
};
#endif

bool IsPng(const fs::path& name)
{
    return ReadAll(name).substr(1, 3) == "PNG";
}

}

TEST_F(Screenshots, PressesTakeTheNextFreeNumberAndNeverOverwrite)
{
    // Names taken by anything are skipped: a file, or a link leading nowhere
    // (a folder on Windows, where tests cannot make links).
    std::ofstream("screen1.png") << "an earlier run";
#ifdef _WIN32
    fs::create_directory("screen3.png");
#else
    fs::create_symlink("missing/target.png", "screen3.png");
#endif
    const fs::file_type taken = fs::symlink_status("screen3.png").type();
    for (int i = 0; i < 3; i++)
    {
        SaveScreenshot(Staging.data(), 32, 24);
    }
    FinishScreenshots();
    EXPECT_EQ(ReadAll("screen1.png"), "an earlier run");
    EXPECT_EQ(fs::symlink_status("screen3.png").type(), taken);
    for (const char* name : {"screen0.png", "screen2.png", "screen4.png"})
    {
        EXPECT_TRUE(IsPng(name)) << name;
    }
    EXPECT_FALSE(fs::exists("screen5.png"));
    EXPECT_EQ(ScreenshotCounter, 5);
}

TEST_F(Screenshots, ANumberAnotherGameTakesMeanwhileIsLeftToItAndThePictureTakesTheNext)
{
    // A window-sized picture keeps the writer busy for a while; the second
    // press has chosen screen1.png by then and waits its turn.
    SaveScreenshot(Staging.data(), 2048, 1080);
    SaveScreenshot(Staging.data(), 32, 24);
    // Meanwhile another game in this folder saves its screen1.png.
    if (fs::exists("screen1.png"))
    {
        FinishScreenshots();
        GTEST_SKIP() << "the writer was faster than this test";
    }
    std::ofstream("screen1.png") << "the other game's";
    FinishScreenshots();
    EXPECT_EQ(ReadAll("screen1.png"), "the other game's");
    EXPECT_TRUE(IsPng("screen0.png"));
    EXPECT_TRUE(IsPng("screen2.png")) << "the second picture was lost";
    EXPECT_FALSE(fs::exists("screen3.png"));
}

TEST_F(Screenshots, PressesFasterThanTheWriterFillItsQueueAndThoseBeyondAreReported)
{
    // Each takes the writer a good many milliseconds; the presses come at once.
    constexpr int Presses = MaxPendingScreenshots + 8;
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < Presses; i++)
    {
        SaveScreenshot(Staging.data(), 320, 240);
    }
    FinishScreenshots();
    const std::string said = ::testing::internal::GetCapturedStderr();
    int saved = 0;
    for (int i = 0; i < Presses; i++)
    {
        const bool written = fs::exists("screen" + std::to_string(i) + ".png");
        const bool reported = said.find("screenshot screen" + std::to_string(i) + ".png not saved") != std::string::npos;
        EXPECT_NE(written, reported) << "screenshot " << i << ": " << said;
        saved += written;
    }
    EXPECT_GE(saved, static_cast<int>(MaxPendingScreenshots));
}

#ifndef _WIN32
// The working folder full part way or read-only: no broken file is left there
// and each picture goes to the pictures folder, under the next number free
// there; a home that cannot take it either is reported.
TEST_F(Screenshots, OnAFullDiskOrAReadOnlyFolderNoFileIsLeftBehindAndThePicturesGoToThePicturesFolder)
{
    SmallDisk full(12288);
    SmallDisk readOnly(4096, true);
    SKIP_WITHOUT_SMALL_DISK(full);
    SKIP_WITHOUT_SMALL_DISK(readOnly);
    const ScratchFolder home{"mirelantha-home-"};
    fs::create_directory(home.path / "Bilder");
    std::ofstream(home.path / "Bilder" / "screen0.png") << "kept";
    // Each of these takes some 30 kB: the first may fail part way, the others
    // find no room at all.
    std::vector<uint8_t> noisy = Staging;
    for (size_t i = 0; i < noisy.size(); i++)
    {
        noisy[i] = static_cast<uint8_t>(noisy[i] ^ (i * 2654435761u >> 13));
    }
    // The user-dirs file as xdg-user-dirs-update writes it, in a translated desktop.
    fs::create_directory(home.path / ".config");
    std::ofstream(home.path / ".config" / "user-dirs.dirs") << "# This file is written by xdg-user-dirs-update\n"
                                                               "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                               "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    {
        const PlayerHome player(home.path);
        fs::current_path(full.path);
        for (int i = 0; i < 4; i++)
        {
            SaveScreenshot(noisy.data(), 512, 384);
        }
        FinishScreenshots();
        fs::current_path(readOnly.path);
        SaveScreenshot(Staging.data(), 32, 24);
        FinishScreenshots();
    }
    EXPECT_EQ(ReadAll(home.path / "Bilder" / "screen0.png"), "kept");
    for (const char* name : {"screen1.png", "screen2.png", "screen3.png", "screen4.png", "screen5.png"})
    {
        EXPECT_TRUE(IsPng(home.path / "Bilder" / name)) << name;
    }

    // A home that cannot take it either: the player hears which names failed.
    {
        const PlayerHome player(readOnly.path);
        ::testing::internal::CaptureStderr();
        SaveScreenshot(Staging.data(), 32, 24);
        FinishScreenshots();
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("screenshot not saved: screen5.png"), std::string::npos) << said;
        EXPECT_NE(said.find((readOnly.path / "screen5.png").string()), std::string::npos) << said;
    }
    fs::current_path(scratch.path);
    EXPECT_EQ(ScreenshotCounter, 6);
    EXPECT_EQ(full.files(), std::vector<std::string>{}) << "partial or temporary files";
}

#endif

TEST(ScreenshotScaling, OddWindowSizesShowEveryPixelInOrderCornerToCornerAndNothingPresentedIsBlack)
{
    for (auto [width, height] : {std::pair{1366, 768}, {300, 200}, {1920, 1080}})
    {
        std::vector<uint8_t> out(static_cast<size_t>(width) * height * 4);
        ScaleDisplayImage(Staging.data(), width, height, out.data());
        // Along the top row x runs 0..127 and down the left column y runs
        // 95..0, each step at most one pixel: nothing dropped, nothing mixed.
        auto at = [&out, w = width](int row, int column) { return &out[(static_cast<size_t>(row) * w + column) * 4]; };
        for (int column = 1; column < width; column++)
        {
            ASSERT_LE(unsigned(at(0, column)[0] - at(0, column - 1)[0]), 1u) << width << " at column " << column;
        }
        for (int row = 1; row < height; row++)
        {
            ASSERT_LE(unsigned(at(row - 1, 0)[1] - at(row, 0)[1]), 1u) << height << " at row " << row;
        }
        EXPECT_EQ((std::vector<int>{at(0, 0)[0], at(0, 0)[1], at(height - 1, width - 1)[0], at(height - 1, width - 1)[1]}),
                  (std::vector<int>{0, 95, 127, 0}));
    }

    // Nothing presented yet gives opaque black.
    std::vector<uint32_t> out(16 * 12, 77);
    ScaleDisplayImage(nullptr, 16, 12, reinterpret_cast<uint8_t*>(out.data()));
    EXPECT_EQ(out, std::vector<uint32_t>(16 * 12, 0xFF000000u)) << "RGBA 0, 0, 0, 255 in little-endian words";
}

// The pictures folder an XDG user-dirs file names, as players edit that file
// (as desktops write it: the full-disk case).
TEST(PicturesFolder, TheUserDirsFileNamesItUnderHomeOrAbsolutelyAndTheLastValidLineCounts)
{
    const std::string home = "/home/gärtner";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"XDG_PICTURES_DIR=\"/srv/pictures/\"\n", "/srv/pictures"},
        {"  XDG_PICTURES_DIR = \"${HOME}/My \\\"Pictures\\\"\"", "/home/gärtner/My \"Pictures\""},
        // Set to the home folder itself: no folder of its own.
        {"XDG_PICTURES_DIR=\"$HOME/\"\n", "/home/gärtner"},
        // The last valid assignment wins; broken ones are passed over.
        {"XDG_PICTURES_DIR=\"$HOME/one\"\nXDG_PICTURES_DIR=\"$HOME/two\"\n", "/home/gärtner/two"},
        {"XDG_PICTURES_DIR=\"$HOME/one\"\nXDG_PICTURES_DIR=\"relative\"\nXDG_PICTURES_DIR=\"$HOME/open\n",
         "/home/gärtner/one"},
        {"# XDG_PICTURES_DIR=\"$HOME/commented\"\nXDG_PICTURES_DIRS=\"/x\"\nXDG_PICTURES_DIR=$HOME/unquoted\n", ""},
        {"XDG_PICTURES_DIR=\"$HOMEWORK/x\"\n", ""},
        {"", ""},
    };
    for (const auto& [text, folder] : cases)
    {
        EXPECT_EQ(PicturesFolderFromUserDirs(text, home), folder) << text;
    }
    EXPECT_EQ(PicturesFolderFromUserDirs("XDG_PICTURES_DIR=\"$HOME/Pictures\"", ""), "") << "no home";
}
