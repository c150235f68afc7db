// Finding the data: the working directory's "dat" first, else the folder
// installed beside the program, wherever that install was unpacked or moved.
// That the program finds its own file is the installed play-throughs' to
// check: each starts an install from an empty folder of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/data_dir.h"
#include "gfx/title_picture.h"
#include "tests/test_platform.h"

namespace
{
namespace fs = std::filesystem;

// An install unpacked under a scratch folder, started from an empty working
// directory beside it.
class DataDirectory : public ::testing::Test
{
protected:
    const ScratchFolder scratch{"mirelantha-data-"};
    const fs::path root = scratch.path;
    const fs::path program = root / "usr" / "games" / "mirelantha";
    const fs::path installed = (program.parent_path() / DataFromProgram).lexically_normal();
    const fs::path working = root / "home";
    const KeepWorkingDirectory keep;

    void SetUp() override
    {
        fs::create_directories(program.parent_path());
        std::ofstream(program) << "program";
        fs::create_directories(installed);
        fs::create_directories(working);
        fs::current_path(working);
    }
};

// The working directory's dat counts when it holds the title picture or one
// sample under its own name; a player's own dat (in the home folder a menu
// starts the game in) or a file called dat does not hide the installed data.
TEST_F(DataDirectory, TheWorkingDirectorysDatOnlyWhenItHoldsTheGamesDataElseTheInstalledFolder)
{
    fs::create_directories(working / "dat" / "samples");
    std::ofstream(working / "dat" / "notes.txt") << "the player's";
    std::ofstream(working / "dat" / "samples" / "kick.wav") << "the player's";
    EXPECT_EQ(ChooseDataDirectory(program.string()), installed.string());
    std::ofstream(working / "dat" / "samples" / "drum0.ogg") << "";
    EXPECT_EQ(ChooseDataDirectory(program.string()), "dat");
    fs::remove(working / "dat" / "samples" / "drum0.ogg");
    std::ofstream(working / "dat" / "lh0.txt") << "";
    EXPECT_EQ(ChooseDataDirectory(program.string()), "dat");

    fs::remove_all(working / "dat");
    std::ofstream(working / "dat") << "not a folder";
    EXPECT_EQ(ChooseDataDirectory(program.string()), installed.string());
}

// Players unpack or move the game anywhere: folder names in any script, names
// the system's legacy code page cannot spell. Names stay UTF-8 from the
// program's path to the files read. Without the install, or with no program
// known, dat as before.
TEST_F(DataDirectory, AnyFolderAnInstallIsMovedToIsFoundAndReadAndWithoutOneItIsDat)
{
    for (const char* name : {u8"Игры", u8"ゲーム 庭", u8"\U0001F331 garden", u8"Ren\u2019s \u20AC \u0152uvres"})
    {
        SCOPED_TRACE(name);
        const fs::path folder = root / fs::u8path(name);
        const fs::path unpacked = folder / program.filename();
        fs::create_directories(folder);
        std::ofstream(unpacked) << "program";
        const fs::path data = (folder / DataFromProgram).lexically_normal();
        fs::create_directories(data);
        std::ofstream(data / "lh0.txt") << "9";

        const std::string chosen = ChooseDataDirectory(unpacked.u8string());
        EXPECT_EQ(chosen, data.u8string());
        TitlePicture[0][0] = 0;
        ReadTitlePictureFile(chosen);
        EXPECT_EQ(TitlePicture[0][0], 9);
        fs::remove_all(data);
        EXPECT_EQ(ChooseDataDirectory(unpacked.u8string()), "dat");
    }
    EXPECT_EQ(ChooseDataDirectory(""), "dat");
}
}  // namespace
