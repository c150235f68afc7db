// The Debian package as a player gets it, unpacked anywhere (tools/test.sh
// unpacks it and names the root in MIRELANTHA_PACKAGE_ROOT): started from an
// empty folder, the program finds the data it ships, shows its title picture,
// plays the title music, writes its screenshot into that folder and quits
// cleanly; its papers state its licence and keys. Skipped without a package.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gfx/icon.h"
#include "tests/e2e/program_run.h"

using namespace e2e;

TEST(Package, PlaysFromAnEmptyFolderWithTheDataItShips)
{
    const char* root = std::getenv("MIRELANTHA_PACKAGE_ROOT");
    if (!root || !*root)
    {
        GTEST_SKIP() << "no unpacked package: MIRELANTHA_PACKAGE_ROOT is not set";
    }
    const fs::path data = fs::path(root) / "usr/share/games/mirelantha";
    Program program(false);  // from an empty folder
    program.path = (fs::path(root) / "usr/games/mirelantha").string();
    ASSERT_TRUE(fs::is_regular_file(program.path)) << program.path;

    // The title screen as the packaged picture makes it.
    ReadTitlePictureFile(data.string());
    const int32_t* cells = &TitlePicture[0][0];
    ASSERT_GT(std::count_if(cells, cells + TitlePictureSize * TitlePictureSize, [](int32_t v) { return v != 0; }),
              1000)
        << "the package holds no title picture";
    // The 64 x 64 icon is that picture as the icon renderer draws it (its
    // cells in the base colours, checked in the unit tests).
    Picture icon;
    ASSERT_TRUE(LoadPng(fs::path(root) / "usr/share/icons/hicolor/64x64/apps/mirelantha.png", icon));
    EXPECT_EQ((std::pair{icon.width, icon.height}), (std::pair{TitlePictureSize, TitlePictureSize}));
    EXPECT_TRUE(icon.rgba == RenderIcon(TitlePictureSize)) << "the icon is not the title picture";

    Cells blinkOn;
    Cells blinkOff;
    DrawExpectedTitle(data, blinkOn, blinkOff);

    // The sound capture and stderr stay out of the folder the game works in.
    const ScratchFolder outside{"mirelantha-deb-"};
    program.errorFile = outside.path / "stderr.txt";
    const fs::path audioFile = outside.path / "audio.raw";
    program.start({{"SDL_AUDIODRIVER", "disk"},
                   {"SDL_DISKAUDIOFILE", audioFile.string()},
                   {"SDL_DISKAUDIODELAY", "46"}});  // real time
    ASSERT_TRUE(program.windowShown()) << ReadAll(program.errorFile);

    // Title music: its first notes may come a few beats after the start.
    EXPECT_TRUE(WaitFor([&] { return MusicHeard(audioFile); }, 8000)) << "no title music";

    Picture picture;
    ASSERT_TRUE(program.screenshot(picture)) << "no window-sized screen0.png in the folder";
    std::string first;
    EXPECT_EQ(CountDifferences(ReadCells(picture), blinkOn, WholeScreen, first, &blinkOff), 0) << first;

    program.keys(Tap("Escape"));
    EXPECT_EQ(program.finish(), 0) << ReadAll(program.errorFile);

    // Nothing but the screenshot was written where the game was started.
    std::vector<std::string> written;
    for (const auto& entry : fs::directory_iterator(program.scratch.path))
    {
        written.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(written, std::vector<std::string>{"screen0.png"});
}

// The package says what a distribution needs to carry it: the zlib licence in
// Debian's machine-readable copyright format, word for word as LICENSE has
// it, and the same licence in its AppStream data; the licences of the
// decoder compiled into the program, each named licence given in full. Its
// descriptions name both screenshot keys.
TEST(Package, CarriesEachLicenceItNamesInFullAndNamesBothScreenshotKeys)
{
    const char* root = std::getenv("MIRELANTHA_PACKAGE_ROOT");
    if (!root || !*root)
    {
        GTEST_SKIP() << "no unpacked package: MIRELANTHA_PACKAGE_ROOT is not set";
    }
    std::vector<std::string> lines;
    std::istringstream copyright(ReadAll(fs::path(root) / "usr/share/doc/mirelantha/copyright"));
    for (std::string line; std::getline(copyright, line);)
    {
        lines.push_back(line);
    }
    ASSERT_FALSE(lines.empty()) << "no copyright file";
    EXPECT_EQ(lines[0], "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/");

    // The licences the Files paragraphs name, "A or B" being two, and those
    // that a paragraph of their own gives the text of.
    std::vector<std::vector<std::string>> paragraphs(1);
    for (const std::string& line : lines)
    {
        if (line.empty())
        {
            paragraphs.emplace_back();
        }
        else
        {
            paragraphs.back().push_back(line);
        }
    }
    std::set<std::string> named;
    std::set<std::string> given;
    std::vector<std::string> filesLicences;
    for (const auto& paragraph : paragraphs)
    {
        const bool files = !paragraph.empty() && paragraph[0].rfind("Files:", 0) == 0;
        for (const std::string& line : paragraph)
        {
            if (line.rfind("License: ", 0) == 0 && files)
            {
                filesLicences.push_back(line.substr(9));
                std::istringstream words(line.substr(9));
                for (std::string word; words >> word;)
                {
                    if (word != "or")
                    {
                        named.insert(word);
                    }
                }
            }
        }
        if (!files && paragraph.size() > 1 && paragraph[0].rfind("License: ", 0) == 0)
        {
            given.insert(paragraph[0].substr(9));
        }
    }
    EXPECT_EQ(filesLicences, (std::vector<std::string>{"Zlib", "public-domain or Expat"}));
    EXPECT_EQ(named, given);

    // The licence paragraph's text, unfolded, is LICENSE's own.
    std::string text;
    const auto paragraph = std::find(lines.rbegin(), lines.rend(), "License: Zlib").base();
    for (auto line = paragraph; line != lines.end() && line->rfind(" ", 0) == 0; ++line)
    {
        text += (*line == " ." ? "" : line->substr(1)) + "\n";
    }
    const std::string licence = ReadAll(fs::path(MIRELANTHA_SOURCE_DIR) / "LICENSE");
    const size_t from = licence.find("This software is provided");
    const std::string last = "from any source distribution.\n";
    ASSERT_NE(licence.find(last), std::string::npos);
    EXPECT_EQ(text, licence.substr(from, licence.find(last) + last.size() - from));

    const std::string metainfo = ReadAll(fs::path(root) / "usr/share/metainfo/org.mirelantha.mirelantha.metainfo.xml");
    EXPECT_NE(metainfo.find("<project_license>Zlib</project_license>"), std::string::npos);
    EXPECT_NE(metainfo.find("Print Screen or F12"), std::string::npos);
    const std::string manual = (fs::path(root) / "usr/share/man/man6/mirelantha.6.gz").string();
    EXPECT_EQ(RunCommand("zcat " + Quote(manual) + " | grep -q 'Print Screen.*F12'"), 0) << "the manual page";
}

// The package installed with apt into a minimal system (tests/linux/stacks.sh makes
// one, installs it, adds the ordinary user "player" and names its root in
// MIRELANTHA_ROOT; the root sees this machine's /tmp, where the X server's
// socket is). The player starts the game from their home folder: the title
// screen, its music, a screenshot in that folder, and Escape ends it with 0.
TEST(Package, InstalledInAMinimalSystemPlaysForAnOrdinaryUserFromTheirHome)
{
    const char* root = std::getenv("MIRELANTHA_ROOT");
    if (!root || !*root)
    {
        GTEST_SKIP() << "no minimal system: MIRELANTHA_ROOT is not set";
    }
    const fs::path home = fs::path(root) / "home/player";
    ASSERT_TRUE(fs::is_directory(home));
    Cells blinkOn;
    Cells blinkOff;
    DrawExpectedTitle(fs::path(root) / "usr/share/games/mirelantha", blinkOn, blinkOff);
    // The player's own files; hidden ones are settings and caches, such as
    // the OpenGL library's.
    auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(home))
        {
            const std::string name = entry.path().filename().string();
            if (name[0] != '.')
            {
                names.push_back(name);
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    std::vector<std::string> expected = listing();
    expected.push_back("screen0.png");
    std::sort(expected.begin(), expected.end());

    // The sound capture where both systems see it, writable by the player.
    Program program(false);
    fs::permissions(program.scratch.path, fs::perms::all);
    const fs::path audioFile = program.scratch.path / "audio.raw";
    program.path = "/usr/sbin/chroot";
    program.arguments = {"--userspec=player:player", root, "/bin/sh", "-c", "cd && exec /usr/games/mirelantha"};
    program.start({{"HOME", "/home/player"},
                   {"USER", "player"},
                   {"LOGNAME", "player"},
                   {"SDL_AUDIODRIVER", "disk"},
                   {"SDL_DISKAUDIOFILE", audioFile.string()},
                   {"SDL_DISKAUDIODELAY", "46"}});
    ASSERT_TRUE(program.windowShown()) << ReadAll(program.errorFile);
    EXPECT_TRUE(WaitFor([&] { return MusicHeard(audioFile); }, 8000)) << "no title music";

    program.keys(Tap("Print"));
    Picture picture;
    ASSERT_TRUE(WaitFor([&] { return LoadPng(home / "screen0.png", picture); }, 5000)) << "no screenshot at home";
    ASSERT_EQ((std::pair{picture.width, picture.height}), (std::pair{Width, Height}));
    std::string first;
    EXPECT_EQ(CountDifferences(ReadCells(picture), blinkOn, WholeScreen, first, &blinkOff), 0) << first;

    program.keys(Tap("Escape"));
    EXPECT_EQ(program.finish(), 0) << ReadAll(program.errorFile);
    EXPECT_EQ(listing(), expected);
}
