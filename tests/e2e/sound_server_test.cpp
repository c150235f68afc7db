// The game through a real sound server, whatever name the player gives its
// driver: the classic one, or SDL 2's names that players set for their other
// games. The title music must reach the server's sink, from a stream the
// server's volume controls list under the game's name. tests/linux/stacks.sh
// starts the servers and names their sinks in MIRELANTHA_PULSE_SINK
// (PulseAudio) and MIRELANTHA_PIPEWIRE_SINK (PipeWire, through SDL 2's own
// driver, so on SDL 1.2 over SDL 2 only); skipped without them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/program_run.h"

using namespace e2e;

// The title music at each server's sink, as the server hands it on to a
// recorder, from a stream its volume controls list under the game's name.
TEST(SoundServer, TheTitleMusicReachesTheSinkUnderEachDriverNameFromAStreamNamedForTheGame)
{
    struct Server
    {
        const char* sink;      // the variable naming its sink
        std::string recorder;  // a shell command that records the sink into `%s`
        std::string streams;   // a command listing the streams and their properties
        std::string gameName;  // what that list says for the game's stream
        std::vector<const char*> drivers;
    };
    const Server servers[] = {
        {"MIRELANTHA_PULSE_SINK", "parec --device=%k.monitor --format=s16le --rate=44100 --channels=2 "
                                  "--latency-msec=20 > %s",
         "pactl list sink-inputs", "application.name = \"mirelantha\"", {"pulse", "pulseaudio", "pipewire"}},
        {"MIRELANTHA_PIPEWIRE_SINK", "pw-record --target %k -P '{ stream.capture.sink=true }' --rate 44100 "
                                     "--channels 2 --format s16 %s",
         "pw-dump", "\"application.name\": \"mirelantha\"", {"pipewire"}},
    };
    bool any = false;
    for (const Server& server : servers)
    {
        const char* sink = std::getenv(server.sink);
        for (const char* driver : sink && *sink ? server.drivers : std::vector<const char*>{})
        {
            SCOPED_TRACE(driver);
            any = true;
            Program program;
            const fs::path recording = program.scratch.path / "monitor.raw";
            std::string command = server.recorder;
            command.replace(command.find("%k"), 2, sink);
            command.replace(command.find("%s"), 2, recording.string());
            const pid_t recorder =
                Spawn({"/bin/sh", "-c", "exec " + command}, "/", {}, program.scratch.path / "recorder.txt");
            program.start({{"SDL_AUDIODRIVER", driver}});
            ASSERT_TRUE(program.windowShown()) << ReadAll(program.errorFile);
            EXPECT_TRUE(WaitFor([&] { return MusicHeard(recording); }, 10000)) << "no title music at the sink";
            const std::string streams = OutputOnDisplay("", server.streams);
            EXPECT_NE(streams.find(server.gameName), std::string::npos) << streams;
            EXPECT_EQ(streams.find("SDL Application"), std::string::npos) << streams;
            program.keys(Tap("Escape"));
            EXPECT_EQ(program.finish(), 0) << ReadAll(program.errorFile);
            kill(recorder, SIGINT);
            waitpid(recorder, nullptr, 0);
        }
    }
    if (!any)
    {
        GTEST_SKIP() << "no sound server: neither MIRELANTHA_PULSE_SINK nor MIRELANTHA_PIPEWIRE_SINK is set";
    }
}
