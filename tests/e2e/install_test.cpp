// The game as players install it, started as they start it: the Debian
// package unpacked anywhere and started from an empty folder; the package
// installed with apt into a minimal system and started by an ordinary user
// from their home; the Windows zip unpacked in a folder named in several
// scripts and started there, as a double-click does. Each finds the data it
// ships, shows its title screen, plays the title music, writes one
// screenshot per press into that folder and nothing else, and quits at once
// on Escape. tools/test.sh and tests/linux/stacks.sh name the installs; each
// is skipped without its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/program_run.h"

using namespace e2e;

namespace
{
// The player's own files in a folder; hidden ones are settings and caches,
// such as the OpenGL library's.
std::vector<std::string> Listing(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
    {
        const std::string name = entry.path().filename().string();
        if (name[0] != '.')
        {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

void PlayAsInstalled(Program& program, const fs::path& data,
                     std::vector<std::pair<std::string, std::string>> environment = {})
{
    ASSERT_GT(fs::file_size(data / "lh0.txt"), 4096u) << "no title picture in " << data;
    ASSERT_EQ(std::distance(fs::directory_iterator(data / "samples"), {}), 34) << "not the 34 samples";
    std::vector<std::string> expected = Listing(program.folder);
    expected.insert(expected.end(), {"screen0.png", "screen1.png"});
    std::sort(expected.begin(), expected.end());

    const fs::path audioFile = program.scratch.path / "audio.raw";
    environment.insert(environment.end(), {{"SDL_AUDIODRIVER", "disk"},
                                           {"SDL_DISKAUDIOFILE", audioFile.string()},
                                           {"SDL_DISKAUDIODELAY", "46"}});  // real time
    program.start(environment);
    ASSERT_TRUE(program.windowShown()) << ReadAll(program.errorFile);
    // Its first notes may come a few beats after the start.
    EXPECT_TRUE(WaitFor([&] { return MusicHeard(audioFile); }, 8000)) << "no title music";

    for (int press = 0; press < 2; press++)
    {
        Picture picture;
        std::string first;
        ASSERT_TRUE(program.screenshot(picture)) << "no window-sized screen" << press << ".png";
        EXPECT_EQ(TitleDifferences(picture, data, first), 0) << first;
    }
    SleepMs(500);
    program.keys(Tap("Escape"));
    const auto pressed = std::chrono::steady_clock::now();
    EXPECT_EQ(program.finish(), 0) << ReadAll(program.errorFile);
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(2)) << "a slow end after Escape";
    EXPECT_EQ(Listing(program.folder), expected) << "one picture per press, and nothing else";
}

fs::path Install(const char* variable)
{
    const char* root = std::getenv(variable);
    return root ? root : "";
}
}  // namespace

TEST(Installed, TheUnpackedPackagePlaysFromAnEmptyFolder)
{
    const fs::path root = Install("MIRELANTHA_PACKAGE_ROOT");
    if (root.empty())
    {
        GTEST_SKIP() << "no unpacked package: MIRELANTHA_PACKAGE_ROOT is not set";
    }
    Program program(false);
    program.path = (root / "usr/games/mirelantha").string();
    PlayAsInstalled(program, root / "usr/share/games/mirelantha");
}

// tests/linux/stacks.sh makes the system, installs the package, adds the user
// "player" and names its root in MIRELANTHA_ROOT; the root sees this
// machine's /tmp, where the X server's socket and the scratch folders are.
TEST(Installed, ThePackageInAMinimalSystemPlaysForAnOrdinaryUserFromTheirHome)
{
    const fs::path root = Install("MIRELANTHA_ROOT");
    if (root.empty())
    {
        GTEST_SKIP() << "no minimal system: MIRELANTHA_ROOT is not set";
    }
    Program program(false);
    program.folder = root / "home/player";
    fs::permissions(program.scratch.path, fs::perms::all);  // the player writes the sound there
    program.path = "/usr/sbin/chroot";
    program.arguments = {"--userspec=player:player", root.string(), "/bin/sh", "-c", "cd && exec /usr/games/mirelantha"};
    PlayAsInstalled(program, root / "usr/share/games/mirelantha",
                    {{"HOME", "/home/player"}, {"USER", "player"}, {"LOGNAME", "player"}});
}

TEST(Installed, TheUnzippedWindowsGamePlaysFromItsOwnFolder)
{
    if (!UnderWine)
    {
        GTEST_SKIP() << "not the Windows game: MIRELANTHA_E2E_PROGRAM does not name an .exe";
    }
    Program program;
    program.folder = fs::path(ProgramPath).parent_path();
    PlayAsInstalled(program, ProgramData());
}
