// The Windows game's console tools under Wine read and write names in any
// script. (The play-through covers the game itself in such a folder, with
// Alt alone and Alt+F4.) Skipped unless MIRELANTHA_E2E_PROGRAM names the .exe.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

TEST(Windows, TheConsoleToolsReadAndWriteNamesInAnyScript)
{
    if (!UnderWine)
    {
        GTEST_SKIP() << "not the Windows game: MIRELANTHA_E2E_PROGRAM does not name an .exe";
    }
    const fs::path tools = fs::path(MIRELANTHA_SOURCE_DIR) / "build-win64";
    if (!fs::exists(tools / "garden-replay.exe") || !fs::exists(tools / "audio-render.exe"))
    {
        GTEST_SKIP() << "no Windows tools in " << tools;
    }
    // A name no single Windows code page can spell, every name absolute, as a
    // shortcut would give them, from another folder.
    const ScratchFolder scratch{"mirelantha-tools-"};
    const fs::path folder = scratch.path / fs::u8path(u8"Сад ゲーム 庭 \U0001F331 \u2019\u20AC\u0152");
    fs::create_directories(folder);
    fs::copy(ProgramData() / "samples", folder / "samples");
    std::ofstream(folder / "keys.txt") << "# the cursor up, then right\n2 down 0\n3 up 0\n4 down 3\n";
    auto run = [&](const std::string& tool, const std::string& arguments) {
        return RunCommand("cd " + Quote(scratch.path.string()) + " && DISPLAY= " MIRELANTHA_SOURCE_DIR
                          "/platform/windows/wine_run.sh " + Quote((tools / tool).string()) + " " + arguments + " >" +
                          Quote((scratch.path / "out.txt").string()) + " 2>" +
                          Quote((scratch.path / "errors.txt").string()));
    };
    const std::string in = "'" + folder.string();

    EXPECT_EQ(run("garden-replay.exe", "--seed 7 --ticks 6 --every 6 --events " + in + "/keys.txt' --frames " + in +
                                           "'"),
              0)
        << ReadAll(scratch.path / "errors.txt");
    EXPECT_NE(ReadAll(scratch.path / "out.txt").find('{'), std::string::npos) << "no state printed";
    Picture frame;
    EXPECT_TRUE(LoadPng(folder / "frame-000006.png", frame) && frame.width == ScreenWidth) << "no frame written";

    EXPECT_EQ(run("audio-render.exe", "--seed 7 --seconds 1 --music title --samples " + in + "/samples' --out " + in +
                                          "/title.wav'"),
              0)
        << ReadAll(scratch.path / "errors.txt");
    std::error_code error;
    EXPECT_GT(fs::file_size(folder / "title.wav", error), 44100u * 4 / 2) << "no second of sound written";
}
