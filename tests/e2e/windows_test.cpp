// The Windows game as players meet it, under Wine: Alt+F4, the window's icon,
// the message when there is no sound device, and the console tools given
// names in any script.
// (The play-through covers the game unpacked in such a folder and started
// from another one.) Skipped unless MIRELANTHA_E2E_PROGRAM names the .exe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "gfx/icon.h"
#include "tests/e2e/program_run.h"

using namespace e2e;

namespace
{
// Names no single Windows code page can spell all of.
const char* const UnicodeName = u8"Сад ゲーム 庭 \U0001F331 \u2019\u20AC\u0152";

class Windows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!UnderWine)
        {
            GTEST_SKIP() << "not the Windows game: MIRELANTHA_E2E_PROGRAM does not name an .exe";
        }
    }

    static bool WindowNamed(const std::string& display, const std::string& pattern)
    {
        return RunOnDisplay(display, "xdotool search --name '" + pattern + "'");
    }

    // The title screen in the window right now, as the data draws it.
    static void ExpectTitleShown(Program& program, const std::string& when)
    {
        Cells blinkOn;
        Cells blinkOff;
        DrawExpectedTitle(ProgramData(), blinkOn, blinkOff);
        Picture picture;
        ASSERT_TRUE(program.screenshot(picture)) << when;
        std::string first;
        EXPECT_EQ(CountDifferences(ReadCells(picture), blinkOn, WholeScreen, first, &blinkOff), 0)
            << when << ": " << first;
    }

    // Of the window's icons as the window system holds them (Wine hands the
    // window class's icon on), the share of the 16 x 16 one's pixels that
    // show the game's icon.
    static double WindowIconLikeness(const std::string& display)
    {
        const std::string command = "export DISPLAY=" + display + ";" +
                                    " xprop -id \"$(xdotool search --name '^mirelantha$' | head -n 1)\""
                                    " -f _NET_WM_ICON 32c _NET_WM_ICON 2>/dev/null";
        std::string text;
        if (FILE* pipe = popen(command.c_str(), "r"))
        {
            char chunk[4096];
            for (size_t got; (got = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0;)
            {
                text.append(chunk, got);
            }
            pclose(pipe);
        }
        std::vector<uint32_t> values;
        for (size_t at = text.find('='); at != std::string::npos && at < text.size(); at++)
        {
            if (std::isdigit(static_cast<unsigned char>(text[at])))
            {
                char* end = nullptr;
                values.push_back(static_cast<uint32_t>(std::strtoul(&text[at], &end, 10)));
                at = static_cast<size_t>(end - text.data());
            }
        }
        ReadTitlePictureFile(ProgramData().string());
        const std::vector<uint8_t> expected = RenderIcon(16);
        for (size_t at = 0; at + 2 <= values.size(); at += 2 + size_t(values[at]) * values[at + 1])
        {
            if (values[at] != 16 || values[at + 1] != 16 || at + 2 + 256 > values.size())
            {
                continue;
            }
            int alike = 0;
            for (int i = 0; i < 256; i++)
            {
                const uint32_t argb = values[at + 2 + i];
                const uint8_t* rgba = &expected[i * 4];
                const int shown[4] = {int(argb >> 16 & 0xFF), int(argb >> 8 & 0xFF), int(argb & 0xFF), int(argb >> 24)};
                int worst = std::abs(shown[3] - rgba[3]);
                for (int k = 0; k < 3 && rgba[3] == 255; k++)
                {
                    worst = std::max(worst, std::abs(shown[k] - rgba[k]));
                }
                alike += worst <= 12;
            }
            return alike / 256.0;
        }
        return 0.0;
    }
};

TEST_F(Windows, AltF4EndsTheGameAtOnceOnTheTitleScreenAndDuringAGame)
{
    for (const bool playing : {false, true})
    {
        SCOPED_TRACE(playing ? "during a game" : "on the title screen");
        Program program;
        program.start({{"SDL_AUDIODRIVER", "dummy"}});
        ASSERT_TRUE(program.windowShown());
        SleepMs(500);
        if (playing)
        {
            program.keys(Tap("z") + " sleep 0.3");
        }
        else
        {
            // Alt alone, as before an Alt+Tab, is the system's: no game starts.
            program.keys(Tap("alt") + " sleep 0.3");
            ExpectTitleShown(program, "after Alt alone");
            // And the window, like the program file, has the game's icon.
            EXPECT_GE(WindowIconLikeness(program.display), 0.9) << "the window's icon is not the game's";
        }
        program.keys("keydown alt sleep 0.05 keydown F4 sleep 0.05 keyup F4 keyup alt");
        EXPECT_EQ(program.finish(), 0) << ReadAll(program.errorFile);
    }
}

TEST_F(Windows, WithoutASoundDeviceAMessageBoxSaysSoAndTheGameEndsWithOne)
{
    Program program;
    program.start({{"SDL_AUDIODRIVER", "no-such-driver"}});
    const std::string box = "^mirelantha: no sound device$";
    ASSERT_TRUE(WaitFor([&] { return WindowNamed(program.display, box); }, StartupWaitMs))
        << "no message box; stderr: " << ReadAll(program.errorFile);
    EXPECT_FALSE(WindowNamed(program.display, "^mirelantha$")) << "the full-screen window hides the message";
    SleepMs(300);
    EXPECT_EQ(waitpid(program.pid, nullptr, WNOHANG), 0) << "the game did not wait for the player to read it";
    program.keys("key Return");
    EXPECT_EQ(program.finish(), 1);
    EXPECT_FALSE(WindowNamed(program.display, box));
}

TEST_F(Windows, TheConsoleToolsReadAndWriteNamesInAnyScript)
{
    const fs::path tools = fs::path(MIRELANTHA_SOURCE_DIR) / "build-win64";
    if (!fs::exists(tools / "garden-replay.exe") || !fs::exists(tools / "audio-render.exe"))
    {
        GTEST_SKIP() << "no Windows tools in " << tools;
    }
    const ScratchFolder scratch{"mirelantha-tools-"};
    const fs::path folder = scratch.path / fs::u8path(UnicodeName);
    fs::create_directories(folder);
    fs::copy(ProgramData() / "samples", folder / "samples");
    std::ofstream(folder / "keys.txt") << "# the cursor up, then right\n2 down 0\n3 up 0\n4 down 3\n";

    // From the scratch folder, with every name absolute, as a shortcut would
    // give them.
    auto run = [&](const std::string& tool, const std::string& arguments) {
        const std::string command = "cd '" + scratch.path.string() + "' && DISPLAY= " MIRELANTHA_SOURCE_DIR
                                    "/platform/windows/wine_run.sh '" + (tools / tool).string() + "' " + arguments +
                                    " >'" + (scratch.path / "out.txt").string() + "' 2>'" +
                                    (scratch.path / "errors.txt").string() + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string in = "'" + folder.string();

    EXPECT_EQ(run("garden-replay.exe", "--seed 7 --ticks 6 --every 6 --events " + in + "/keys.txt' --frames " +
                                           in + "'"),
              0)
        << ReadAll(scratch.path / "errors.txt");
    EXPECT_NE(ReadAll(scratch.path / "out.txt").find('{'), std::string::npos) << "no state printed";
    int frames = 0;
    for (const auto& entry : fs::directory_iterator(folder))
    {
        Picture frame;
        frames += entry.path().extension() == ".png" && LoadPng(entry.path(), frame) && frame.width == ScreenWidth;
    }
    EXPECT_GE(frames, 1) << "no frame written";

    EXPECT_EQ(run("audio-render.exe", "--seed 7 --seconds 1 --music title --samples " + in + "/samples' --out " +
                                          in + "/title.wav'"),
              0)
        << ReadAll(scratch.path / "errors.txt");
    std::error_code error;
    EXPECT_GT(fs::file_size(folder / "title.wav", error), 44100u * 4 / 2) << "no second of sound written";
}
}  // namespace
