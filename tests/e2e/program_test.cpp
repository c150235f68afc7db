// The real program started without a display. The play-through covers a whole
// game; screenshot numbering is checked in the app tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

TEST(Program, WithoutADisplaySaysSoAndFails)
{
    Program program;
    program.display = "";
    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    EXPECT_GT(program.finish(), 0);
    std::string message = ReadAll(program.scratch.path / "stderr.txt");
    EXPECT_NE(message.find("mirelantha:"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
}

TEST(Program, WithoutAnAudioDeviceSaysHowToPlaySilentlyAndExitsWithOne)
{
    Program program;
    program.start({{"SDL_AUDIODRIVER", "no-such-driver"}});
    EXPECT_EQ(program.finish(), 1);  // a crash on the way out would give -1
    std::string message = ReadAll(program.scratch.path / "stderr.txt");
    EXPECT_NE(message.find("SDL_AUDIODRIVER=dummy"), std::string::npos) << message;
}

// With no data folder at all, and with a data folder whose files are empty or
// damaged, the game still shows its screens and plays on.
TEST(Program, PlaysOnWithMissingOrDamagedData)
{
    for (bool damaged : {false, true})
    {
        Program program;
        fs::remove(program.scratch.path / "dat");
        if (damaged)
        {
            fs::path samples = program.scratch.path / "dat" / "samples";
            fs::create_directories(samples);
            std::ofstream(program.scratch.path / "dat" / "lh0.txt");  // empty picture
            std::ofstream(samples / "start.ogg");                      // empty sample
            std::ofstream(samples / "cat.ogg") << "OggS but nothing after it";
            fs::copy_file(fs::path(MIRELANTHA_SOURCE_DIR) / "dat/samples/step.ogg", samples / "drum0.ogg");
            fs::resize_file(samples / "drum0.ogg", fs::file_size(samples / "drum0.ogg") / 2);
        }
        program.start({{"SDL_AUDIODRIVER", "dummy"}});
        ASSERT_TRUE(program.windowShown());

        Picture title;
        ASSERT_TRUE(program.screenshot(title));
        program.keys(Tap("x") + " sleep 0.2 " + Tap("Left") + " " + Tap("space") + " sleep 0.2");
        Picture game;
        ASSERT_TRUE(program.screenshot(game));
        program.keys(Tap("Escape") + " sleep 0.1 " + Tap("Escape"));
        EXPECT_EQ(program.finish(), 0) << (damaged ? "damaged data" : "no data");

        // Title text still drawn where the picture would be empty; the game's
        // separator column is there.
        Cells titleCells = ReadCells(title);
        Cells gameCells = ReadCells(game);
        EXPECT_EQ(titleCells[PixelOffset(64, 50)], 0);  // no picture
        EXPECT_EQ(gameCells[PixelOffset(96, 40)], 3);
    }
}
