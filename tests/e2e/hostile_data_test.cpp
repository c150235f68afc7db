// The real program facing what a hostile machine can put in its way: FIFOs
// under its data and screenshot names, and the display going away under it.
// Each must leave the game answering Escape at once, or end it with exit 1
// and one line on stderr. (Samples far longer than the game's own are the
// sample loader tests' business.)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/display_watch.h"
#include "tests/e2e/program_run.h"

// Xlib's macros (None, Bool) after GoogleTest, whose names they would take.
#include <GL/glx.h>
#include <SDL.h>
#include <SDL_syswm.h>

using namespace e2e;

TEST(HostileData, FifosUnderThePictureASampleAndTheScreenshotNameHoldNothingUp)
{
    Program program(false);  // with a copy of the data of its own
    const fs::path dat = program.folder / "dat";
    fs::copy(ProgramData(), dat, fs::copy_options::recursive);
    for (const fs::path& name : {dat / "lh0.txt", dat / "samples/drum0.ogg", program.shot(0)})
    {
        fs::remove(name);
        ASSERT_EQ(mkfifo(name.c_str(), 0600), 0) << name;
    }

    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(program.windowShown());
    // The FIFO keeps its name; the screenshot takes the next one.
    program.nextScreenshot = 1;
    Picture title;
    ASSERT_TRUE(program.screenshot(title));
    EXPECT_EQ(ReadCells(title)[PixelOffset(64, 50)], 0) << "no picture";
    const auto pressed = std::chrono::steady_clock::now();
    program.keys("key Escape");
    EXPECT_EQ(WaitForExit(std::exchange(program.pid, 0), 5000), 0) << "Escape did not end the program";
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(1));
}

// The window goes with its client's connection (a forced close), or alone,
// destroyed by another client while the connection lives on.
TEST(DisplayLoss, AKilledXServerOrADestroyedWindowEndsTheGameWithExitOneAndOneLine)
{
    for (const std::string loss : {"windowkill", "windowclose", "server"})
    {
        SCOPED_TRACE(loss);
        // A busy machine now and then refuses a first connection to a brand
        // new server; a second server gets its own chance.
        std::unique_ptr<XServer> server;
        std::unique_ptr<Program> program;
        for (int attempt = 0; attempt < 3 && !(program && program->windowShown()); attempt++)
        {
            server = std::make_unique<XServer>(std::vector<std::string>{"-screen", "0", "640x480x24", "-noreset"});
            ASSERT_FALSE(server->display.empty()) << "could not start Xvfb";
            program = std::make_unique<Program>();
            program->display = server->display;
            program->start({{"SDL_AUDIODRIVER", "dummy"}});
        }
        ASSERT_TRUE(program->windowShown()) << ReadAll(program->errorFile);
        SleepMs(300);
        if (loss == "server")
        {
            server->stop();
        }
        else
        {
            program->keys("search --name '^mirelantha$' " + loss);
        }
        program->expectEndsWithOneLine();
    }
}

// On a slow machine the buffer swap can be the first request to find the
// window gone, and the error then is GLX's own (numbered from the
// extension's first error), not the core protocol's. The watch is set on a
// real window and handed such an error by a real GLX request: it must end
// the program through `lost` alone, not through Xlib's report.
TEST(DisplayLoss, AGlxErrorForAWindowThatIsGoneEndsThroughTheWatch)
{
    constexpr int LostExit = 42;
    const pid_t child = fork();
    if (child == 0)
    {
        setenv("DISPLAY", XvfbServer::display.c_str(), 1);
        if (SDL_Init(SDL_INIT_VIDEO) < 0 || !SDL_SetVideoMode(64, 48, 0, SDL_OPENGL))
        {
            _exit(3);
        }
        WatchDisplay([] { _exit(LostExit); });
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        SDL_GetWMInfo(&info);
        glXDestroyWindow(info.info.x11.display, 0x1fffff);  // never a GLX window: GLX's BadWindow
        XSync(info.info.x11.display, False);
        _exit(0);
    }
    EXPECT_EQ(WaitForExit(child, 10000), LostExit) << "1: Xlib's own report ended it; 0: the error went unseen";
}
