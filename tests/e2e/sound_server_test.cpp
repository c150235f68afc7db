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

namespace
{
struct SoundServer
{
    std::string recorder;  // a shell command that records the sink: `%s` is the file
    std::string streams;   // a command that lists the server's streams and their properties
    std::string gameName;  // what that list says for the game's stream
    std::vector<const char*> drivers;
};

void PlayThrough(const SoundServer& server)
{
    for (const char* driver : server.drivers)
    {
        SCOPED_TRACE(driver);
        Program program;
        // What the sink plays, as the server hands it on to a recorder.
        const fs::path recording = program.scratch.path / "monitor.raw";
        std::string command = server.recorder;
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
}  // namespace

TEST(SoundServer, PulseAudioPlaysTheTitleMusicUnderEachDriverNameAndTheGamesName)
{
    const char* sink = std::getenv("MIRELANTHA_PULSE_SINK");
    if (!sink || !*sink)
    {
        GTEST_SKIP() << "no PulseAudio server: MIRELANTHA_PULSE_SINK is not set";
    }
    PlayThrough({std::string("parec --device=") + sink +
                     ".monitor --format=s16le --rate=44100 --channels=2 --latency-msec=20 > %s",
                 "pactl list sink-inputs", "application.name = \"mirelantha\"", {"pulse", "pulseaudio", "pipewire"}});
}

TEST(SoundServer, PipeWirePlaysTheTitleMusicFromAStreamNamedForTheGame)
{
    const char* sink = std::getenv("MIRELANTHA_PIPEWIRE_SINK");
    if (!sink || !*sink)
    {
        GTEST_SKIP() << "no PipeWire server: MIRELANTHA_PIPEWIRE_SINK is not set";
    }
    PlayThrough({std::string("pw-record --target ") + sink +
                     " -P '{ stream.capture.sink=true }' --rate 44100 --channels 2 --format s16 %s",
                 "pw-dump", "\"application.name\": \"mirelantha\"", {"pipewire"}});
}
