// Whole games through the replay driver and the garden-replay tool: the key
// log parser, the shell's tick order, and a golden run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>

#include "game/garden_replay.h"
#include "game/replay_script.h"
#include "garden_fixtures.h"
#include "tests/digest.h"
#include "tests/test_platform.h"

TEST(ReplayScript, ReadsEventsInFileOrderAndRejectsEveryMalformedLineWithItsNumber)
{
    std::vector<ReplayEvent> events;
    uint32_t errorLine = 0;
    std::string error;
    ASSERT_TRUE(ParseReplayEvents("# start\n\n  3 down 11\r\n3 up 0\n\t4294967295  down\t2  \n", events, errorLine,
                                  error))
        << error;
    EXPECT_EQ(ReplayText(events), "3 down 11\n3 up 0\n4294967295 down 2\n");

    const std::string bad[] = {
        "5 down",      "5 down 1 extra", "five down 1", "5 press 1", "5 down 12",
        "5 down -1",   "-5 down 1",      "0 down 1",    "4294967296 down 1",
        "5 DOWN 1",    "5 down 1x",      "99999999999999999999 up 1", "5 down +1",
        std::string("5 down 1\0", 9),
    };
    for (const std::string& line : bad)
    {
        error.clear();
        EXPECT_FALSE(ParseReplayEvents("1 down 0\n# fine\n" + line + "\n2 up 0\n", events, errorLine, error)) << line;
        EXPECT_EQ(errorLine, 3u) << line;
        EXPECT_FALSE(error.empty());
    }
}

TEST(Replay, AFixedSeedAndKeyLogAlwaysPlayTheSameGame)
{
    std::vector<ReplayEvent> events;
    uint32_t errorLine = 0;
    std::string error;
    ASSERT_TRUE(ParseReplayEvents(ReadAll(MIRELANTHA_SOURCE_DIR "/tests/data/whole_game.keys"), events, errorLine,
                                  error))
        << error;
    const uint32_t openedAt =
        std::find_if(events.begin(), events.end(), [](const ReplayEvent& e) { return e.button == ButtonSpace; })
            ->iteration;
    GardenReplay replay(2026, std::move(events));
    std::string json = replay.stateJson();
    uint32_t digest = Digest(json.data(), json.size());
    bool sawFlyer = false;
    for (uint32_t i = 1; i <= openedAt + 3000; ++i)
    {
        replay.step();
        sawFlyer = sawFlyer || CountOf(replay.mode(), EntityFlyer) > 0;
        if (i % 250 == 0)
        {
            json = replay.stateJson();
            digest = Digest(json.data(), json.size(), digest);
        }
    }
    EXPECT_FALSE(replay.mode().planting);
    // Space is delivered before its iteration's update, which already tends the garden.
    EXPECT_EQ(replay.mode().gardenTicks, 3001u);
    EXPECT_TRUE(sawFlyer) << "a run that reaches the visitors";
    // Recorded once from this very run, after checking its course by hand;
    // any change to the order of rand() draws or to a rule changes it. Each
    // C runtime has its own rand(), so each platform has its own record.
    EXPECT_EQ(digest, GoldenForThisRand(464823288u, 75354586u)) << digest;
}

TEST(ReplayTool, PrintsAndDrawsTheStartEveryKthIterationAndTheLastAndRefusesBadArguments)
{
    if (!std::filesystem::exists(ToolPath("garden-replay")))
    {
        GTEST_SKIP() << "garden-replay not built";
    }
    const ScratchFolder scratch{"mirelantha-replay-"};
    const ToolRun run = RunTool("garden-replay", "--seed 7 --ticks 10 --every 4 --frames .", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    std::istringstream lines(run.output);
    std::vector<std::string> iterations;
    for (std::string line; std::getline(lines, line);)
    {
        iterations.push_back(line.substr(0, line.find(',')));
    }
    EXPECT_EQ(iterations, (std::vector<std::string>{"{\"iter\":0", "{\"iter\":4", "{\"iter\":8", "{\"iter\":10"}));
    for (const char* name : {"frame-000000.png", "frame-000004.png", "frame-000008.png", "frame-000010.png"})
    {
        EXPECT_EQ(ReadAll(scratch.path / name).substr(1, 3), "PNG") << name;
    }

    for (const char* arguments : {"--seed 7", "--seed 7 --ticks 5 --every 0",
                                  "--seed 7 --ticks 5 --events /nonexistent/keys.txt"})
    {
        EXPECT_EQ(RunTool("garden-replay", arguments, scratch).exitCode, 2) << arguments;
    }
}
