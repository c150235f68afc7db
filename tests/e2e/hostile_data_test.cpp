// The real program facing what a hostile machine can put in its way: FIFOs
// under its data and screenshot names, and the display going away under it.
// Each must leave the game answering Escape at once, or end it with exit 1
// and one line on stderr. (Samples far longer than the game's own are the
// sample loader tests' business.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "audio/samples.h"
#include "tests/e2e/program_run.h"

using namespace e2e;

namespace
{
// Replaces the scratch directory's link to the data by a folder of its own
// holding links to each shipped file.
fs::path OwnData(Program& program)
{
    const fs::path dat = program.scratch.path / "dat";
    const fs::path shipped = fs::path(MIRELANTHA_SOURCE_DIR) / "dat";
    fs::remove(dat);
    fs::create_directories(dat / "samples");
    fs::create_symlink(shipped / "lh0.txt", dat / "lh0.txt");
    for (const char* name : SampleNames)
    {
        const std::string file = std::string(name) + ".ogg";
        fs::create_symlink(shipped / "samples" / file, dat / "samples" / file);
    }
    return dat;
}

// Milliseconds from Escape to the program's end; -1 when it did not end
// within `limitMs` (it is killed then).
int EscapeAndTime(Program& program, int limitMs)
{
    auto pressed = std::chrono::steady_clock::now();
    program.keys("key Escape");
    int status = WaitForExit(std::exchange(program.pid, 0), limitMs);
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - pressed);
    return status == 0 ? static_cast<int>(took.count()) : -1;
}

// An X server of the test's own, to be killed under the game.
struct OwnXvfb
{
    std::string display;
    pid_t pid = 0;

    // On a display number well away from the ones people and the other
    // tests use, so that killing it can disturb no one.
    OwnXvfb() { pid = StartXvfb(150, {"-screen", "0", "640x480x24", "-noreset"}, display); }
    ~OwnXvfb() { stop(); }

    // Killed outright, as a crashing server dies; what it leaves behind is
    // cleared so the display number is free again.
    void stop()
    {
        if (pid > 0)
        {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = 0;
            if (!display.empty())
            {
                const std::string number = display.substr(1);
                std::error_code ignored;
                fs::remove("/tmp/.X" + number + "-lock", ignored);
                fs::remove("/tmp/.X11-unix/X" + number, ignored);
            }
        }
    }
};
}  // namespace

TEST(HostileData, FifosUnderThePictureASampleAndTheScreenshotNameHoldNothingUp)
{
    Program program;
    const fs::path dat = OwnData(program);
    fs::remove(dat / "lh0.txt");
    ASSERT_EQ(mkfifo((dat / "lh0.txt").c_str(), 0600), 0);
    fs::remove(dat / "samples/drum0.ogg");
    ASSERT_EQ(mkfifo((dat / "samples/drum0.ogg").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((program.scratch.path / "screen0.png").c_str(), 0600), 0);

    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(program.windowShown());
    // The FIFO keeps its name; the screenshot takes the next one.
    program.nextScreenshot = 1;
    Picture title;
    bool saved = program.screenshot(title);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(!saved || ReadCells(title)[PixelOffset(64, 50)] == 0) << "no picture";
    int took = EscapeAndTime(program, 5000);
    EXPECT_GE(took, 0) << "Escape did not end the program";
    EXPECT_LT(took, 1000);
}

TEST(DisplayLoss, AKilledXServerOrADestroyedWindowEndsTheGameWithExitOneAndOneLine)
{
    for (bool killServer : {false, true})
    {
        SCOPED_TRACE(killServer ? "X server killed" : "window destroyed");
        // A busy machine now and then refuses a first connection to a brand
        // new server; a second server gets its own chance.
        std::unique_ptr<OwnXvfb> server;
        std::unique_ptr<Program> program;
        bool shown = false;
        for (int attempt = 0; attempt < 3 && !shown; attempt++)
        {
            server = std::make_unique<OwnXvfb>();
            ASSERT_FALSE(server->display.empty()) << "could not start Xvfb";
            program = std::make_unique<Program>();
            program->display = server->display;
            program->start({{"SDL_AUDIODRIVER", "dummy"}});
            shown = program->windowShown();
            if (!shown)
            {
                std::fprintf(stderr, "no window on %s: %s (exit %d)\n", server->display.c_str(),
                             ReadAll(program->scratch.path / "stderr.txt").c_str(), WaitForExit(program->pid, 10));
            }
        }
        ASSERT_TRUE(shown);
        SleepMs(300);
        if (killServer)
        {
            server->stop();
        }
        else
        {
            program->keys("search --name '^mirelantha$' windowkill");
        }
        EXPECT_EQ(WaitForExit(std::exchange(program->pid, 0), 5000), 1) << "-1: an abort, a signal or no end at all";
        std::string message = ReadAll(program->scratch.path / "stderr.txt");
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_NE(message.find("mirelantha:"), std::string::npos) << message;
    }
}
