// The real program under a private X server: the title screen it shows, a
// game started and left with the keyboard, screenshots, and how it ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/title_picture.h"
#include "gfx/palette.h"
#include "gfx/screen_buffer.h"
#include "gfx/title_screen.h"
#include "tests/e2e/xvfb_session.h"

#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

using namespace e2e;

namespace
{
[[maybe_unused]] ::testing::Environment* const Xvfb = ::testing::AddGlobalTestEnvironment(new XvfbServer);

constexpr int Width = 1024;   // the Xvfb screen, and so the window
constexpr int Height = 768;

// In sanitizer builds: the X and GL driver libraries leave allocations behind
// at exit, some from unloaded modules no suppression can name. Our own code's
// leaks are checked by the unit tests, which run without a display.
const std::pair<std::string, std::string> NoLeakCheck = {"ASAN_OPTIONS", "detect_leaks=0"};

// Jitter keeps a live colour within 0.08 of its base: about 20 per byte.
constexpr int Tolerance = 25;

struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

bool LoadPng(const fs::path& name, Picture& picture)
{
    int channels = 0;
    stbi_uc* pixels = stbi_load(name.c_str(), &picture.width, &picture.height, &channels, 4);
    if (!pixels)
    {
        return false;
    }
    picture.rgba.assign(pixels, pixels + picture.width * picture.height * 4);
    stbi_image_free(pixels);
    return true;
}

std::string ReadAll(const fs::path& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The title screen's palette indices as the program draws them, at two frame
// counts so that both phases of the blinking prompt are known.
struct ExpectedTitle
{
    int8_t first[ScreenPixels];
    int8_t second[ScreenPixels];
};

ExpectedTitle DrawExpectedTitle(const fs::path& workingDirectory)
{
    ExpectedTitle expected;
    fs::path previous = fs::current_path();
    fs::current_path(workingDirectory);
    ReadTitlePictureFile();
    fs::current_path(previous);
    FrameCounter = 0;
    ClearScreenBuffer();
    DrawTitleScreen();
    std::copy(ScreenBuffer, ScreenBuffer + ScreenPixels, expected.first);
    FrameCounter = 6;
    ClearScreenBuffer();
    DrawTitleScreen();
    std::copy(ScreenBuffer, ScreenBuffer + ScreenPixels, expected.second);
    return expected;
}

// Whether an RGB byte triple can be palette index `index`; both row variants
// jitter around the same base colour.
bool ColourMatches(const uint8_t* rgb, int8_t index)
{
    for (int k = 0; k < 3; k++)
    {
        int expected = 0;
        if (index >= 0)
        {
            float base = BasePalette[index][k];
            expected = static_cast<int>(std::min(1.0f, std::max(0.0f, base)) * 255);
        }
        if (std::abs(rgb[k] - expected) > Tolerance)
        {
            return false;
        }
    }
    return true;
}

// Counts the framebuffer pixels whose cell centre in the screenshot does not
// show the expected colour.
int CountMismatches(const Picture& picture, const ExpectedTitle& expected, std::string& first)
{
    int mismatches = 0;
    for (int x = 0; x < ScreenWidth; x++)
    {
        for (int y = 0; y < ScreenHeight; y++)
        {
            int column = x * Width / ScreenWidth + Width / ScreenWidth / 2;
            int row = (ScreenHeight - 1 - y) * Height / ScreenHeight + Height / ScreenHeight / 2;
            const uint8_t* rgb = &picture.rgba[(row * picture.width + column) * 4];
            int8_t a = expected.first[PixelOffset(x, y)];
            int8_t b = expected.second[PixelOffset(x, y)];
            if (!ColourMatches(rgb, a) && !ColourMatches(rgb, b))
            {
                if (mismatches == 0)
                {
                    first = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") index " +
                            std::to_string(a) + " shows " + std::to_string(rgb[0]) + " " +
                            std::to_string(rgb[1]) + " " + std::to_string(rgb[2]);
                }
                mismatches++;
            }
        }
    }
    return mismatches;
}

// The program running on the test X server in a scratch directory.
class RunningProgram
{
public:
    ScratchDirectory scratch;
    pid_t pid = 0;

    void start()
    {
        pid = Spawn({ProgramPath()}, scratch.path,
                    {{"DISPLAY", XvfbServer::display}, {"SDL_AUDIODRIVER", "dummy"}, NoLeakCheck},
                    scratch.path / "stderr.txt");
    }

    bool windowShown()
    {
        return WaitFor([] { return RunOnDisplay(XvfbServer::display, "xdotool search --name '^mirelantha$'"); },
                       15000);
    }

    // A key held long enough for the program to see it down, then released.
    void press(const std::string& key)
    {
        RunOnDisplay(XvfbServer::display, "xdotool keydown " + key);
        SleepMs(80);
        RunOnDisplay(XvfbServer::display, "xdotool keyup " + key);
        SleepMs(80);
    }

    bool screenshotWritten(const std::string& name, Picture& picture)
    {
        return WaitFor([&] { return LoadPng(scratch.path / name, picture); }, 5000);
    }

    int finish() { return WaitForExit(pid, 15000); }

    ~RunningProgram()
    {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0)
        {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};
}

TEST(Program, ShowsTheTitleScreenPlaysAGameAndQuitsWithEscape)
{
    RunningProgram program;
    program.start();
    ASSERT_TRUE(program.windowShown());
    SleepMs(500);  // the first frames

    program.press("Print");
    Picture title;
    ASSERT_TRUE(program.screenshotWritten("screen0.png", title));
    ASSERT_EQ(title.width, Width);
    ASSERT_EQ(title.height, Height);
    ExpectedTitle expected = DrawExpectedTitle(program.scratch.path);
    std::string first;
    EXPECT_EQ(CountMismatches(title, expected, first), 0) << first;
    // And the window itself shows the same: the quad maps the picture the
    // right way up and round, corner to corner.
    Picture shown;
    ASSERT_TRUE(ReadXvfbScreen(shown.rgba, shown.width, shown.height));
    ASSERT_EQ(shown.width, Width);
    ASSERT_EQ(shown.height, Height);
    EXPECT_EQ(CountMismatches(shown, expected, first), 0) << first;

    program.press("z");  // starts a game; z itself places nothing
    SleepMs(200);
    program.press("Print");
    Picture game;
    ASSERT_TRUE(program.screenshotWritten("screen1.png", game));
    EXPECT_GT(CountMismatches(game, expected, first), 500) << "the game looks like the title";

    program.press("Escape");  // back to the title screen
    SleepMs(200);
    program.press("Print");
    Picture again;
    ASSERT_TRUE(program.screenshotWritten("screen2.png", again));
    EXPECT_EQ(CountMismatches(again, expected, first), 0) << first;

    program.press("Escape");  // leaves the program
    EXPECT_EQ(program.finish(), 0) << ReadAll(program.scratch.path / "stderr.txt");
}

TEST(Program, KeepsScreenshotsFromEarlierRuns)
{
    RunningProgram program;
    std::ofstream(program.scratch.path / "screen0.png") << "from an earlier run";
    program.start();
    ASSERT_TRUE(program.windowShown());
    SleepMs(200);
    program.press("Print");
    Picture picture;
    EXPECT_TRUE(program.screenshotWritten("screen1.png", picture));
    EXPECT_EQ(ReadAll(program.scratch.path / "screen0.png"), "from an earlier run");
    program.press("Escape");
    EXPECT_EQ(program.finish(), 0);
}

TEST(Program, WithoutADisplaySaysSoAndFails)
{
    ScratchDirectory scratch;
    pid_t pid = Spawn({ProgramPath()}, scratch.path,
                      {{"DISPLAY", ""}, {"SDL_AUDIODRIVER", "dummy"}, NoLeakCheck},
                      scratch.path / "stderr.txt");
    int status = WaitForExit(pid, 10000);
    EXPECT_GT(status, 0);
    std::string message = ReadAll(scratch.path / "stderr.txt");
    EXPECT_NE(message.find("mirelantha:"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
}
