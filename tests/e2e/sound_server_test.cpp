// The game through a real sound server, whatever name the player gives its
// driver: the classic one, or SDL 2's names that players set for their other
// games. The title music must reach the server's sink, from a stream the
// server's volume controls list under the game's name. tools/stacks.sh
// starts the server and names its sink in MIRELANTHA_PULSE_SINK; skipped
// without one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

TEST(SoundServer, TheTitleMusicReachesTheSinkUnderEachDriverNameAndTheGamesName)
{
    const char* sink = std::getenv("MIRELANTHA_PULSE_SINK");
    if (!sink || !*sink)
    {
        GTEST_SKIP() << "no sound server: MIRELANTHA_PULSE_SINK is not set";
    }
    for (const char* driver : {"pulse", "pulseaudio", "pipewire"})
    {
        SCOPED_TRACE(driver);
        Program program;
        // What the sink plays, as the server hands it on to a recorder.
        const fs::path recording = program.scratch.path / "monitor.raw";
        const pid_t recorder = Spawn({"/bin/sh", "-c",
                                      std::string("exec parec --device=") + sink +
                                          ".monitor --format=s16le --rate=44100 --channels=2 --latency-msec=20 > " +
                                          recording.string()},
                                     "/", {}, program.scratch.path / "parec.txt");
        program.start({{"SDL_AUDIODRIVER", driver}});
        ASSERT_TRUE(program.windowShown()) << ReadAll(program.errorFile);
        EXPECT_TRUE(WaitFor([&] { return MusicHeard(recording); }, 10000)) << "no title music at the sink";

        const std::string streams = OutputOnDisplay("", "pactl list sink-inputs");
        EXPECT_NE(streams.find("application.name = \"mirelantha\""), std::string::npos) << streams;

        program.keys(Tap("Escape"));
        EXPECT_EQ(program.finish(), 0) << ReadAll(program.errorFile);
        kill(recorder, SIGTERM);
        waitpid(recorder, nullptr, 0);
    }
}
