// The command-line tools facing hostile files: inputs that are not regular
// files or are far too large, outputs under links, on a full disk or to a
// standard output that cannot be written, and numbers or folders that are
// not what they claim. Each run must end with a message and its exit code,
// never hang, grow without bound or leave a half-written file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/small_disk.h"
#include "tests/test_platform.h"

namespace
{
namespace fs = std::filesystem;

const std::string Replay = "garden-replay";
const std::string Render = "audio-render";

// A scratch folder per test, where each tool runs.
class Tools : public ::testing::Test
{
protected:
    const ScratchFolder scratch{"mirelantha-tools-"};
    const fs::path dir = scratch.path;

    // A run that must end with `exitCode` and say `message` on standard error.
    void expectFailure(int exitCode, const std::string& message, const std::string& tool, const std::string& arguments,
                       const std::string& out = "")
    {
        const ToolRun failed = RunTool(tool, arguments, scratch, out);
        EXPECT_EQ(failed.exitCode, exitCode) << tool << " " << arguments;
        EXPECT_NE(failed.errors.find(message), std::string::npos) << failed.errors;
    }
};

const std::string RenderArgs = "--seed 1 --seconds 1 --music title --no-samples ";
}  // namespace

TEST_F(Tools, InputsNotRegularOrPastTheSizeOrLineBoundSamplesNotAFolderAndNumbersNotDecimalAreRefused)
{
    // A sparse 20 MiB file costs no disk; a regular file that large is read
    // by neither tool.
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::ofstream(dir / "huge.txt").close();
    fs::resize_file(dir / "huge.txt", 20u << 20);
    std::ofstream(dir / "long.txt") << "# fine\n" << std::string(5000, '1') << " down 0\n";
    const std::pair<const char*, const char*> inputs[] = {{"/tmp", "is not a regular file"},
                                                          {"fifo", "is not a regular file"},
                                                          {"/dev/zero", "is not a regular file"},
                                                          {"huge.txt", "too large"},
                                                          {"long.txt", "longer than 4096"}};
    for (const auto& [input, message] : inputs)
    {
        SCOPED_TRACE(input);
        for (const auto& [tool, arguments] : {std::pair{Replay, std::string("--seed 1 --ticks 5 --events ")},
                                              std::pair{Render, RenderArgs + "--out out.wav --sfx "}})
        {
            expectFailure(2, message, tool, arguments + input);
        }
    }
    expectFailure(2, "long.txt:2:", Replay, "--seed 1 --ticks 5 --events long.txt");

    // A missing samples folder, or one that is a file, and numbers that are not decimal are usage errors.
    std::ofstream(dir / "plain") << "not a folder";
    for (const std::string where : {"/nonexistent", "plain"})
    {
        expectFailure(2, "not a folder", Render, "--seed 1 --seconds 1 --music title --out out.wav --samples " + where);
    }
    for (std::string numbers : {"--seed 1 --seconds 0x10", "--seed 1 --seconds 1e1", "--seed 1 --seconds inf",
                                       "--seed 0x10 --seconds 1", "--seed +1 --seconds 1", "--seed 1 --seconds -0"})
    {
        expectFailure(2, "decimal", Render, numbers + " --music title --no-samples --out out.wav");
    }
    EXPECT_FALSE(fs::exists(dir / "out.wav"));
    EXPECT_EQ(RunTool(Render, "--seed 1 --seconds 0.5 --music title --no-samples --out out.wav", scratch).exitCode, 0);
    EXPECT_EQ(fs::file_size(dir / "out.wav"), 44u + 11u * 2048 * 4) << "half a second, whole callbacks";
}

TEST_F(Tools, OutputsAreNeverWrittenThroughALinkNorLeftHalfWritten)
{
    // Links already in the output places are left alone, and so is what
    // they lead to; a frame from an earlier run is replaced.
    std::ofstream(dir / "victim") << "keep me";
    fs::create_directory(dir / "frames");
    fs::create_symlink("../victim", dir / "frames/frame-000002.png");
    std::ofstream(dir / "frames/frame-000000.png") << "an earlier run";
    fs::create_symlink("victim", dir / "out.wav");
    expectFailure(1, "frame-000002.png", Replay, "--seed 1 --ticks 4 --every 2 --frames frames");
    EXPECT_EQ(ReadAll(dir / "frames/frame-000000.png").substr(1, 3), "PNG");
    expectFailure(1, "out.wav", Render, RenderArgs + "--out out.wav");
    EXPECT_EQ(ReadAll(dir / "victim"), "keep me");
    EXPECT_TRUE(fs::is_symlink(dir / "out.wav"));

    // A standard output that cannot take the state lines is a failure.
    expectFailure(1, "standard output", Replay, "--seed 1 --ticks 50", "/dev/full");

    // On a full disk no frame and no WAV is left, whole or not.
    SmallDisk disk(8192);
    SKIP_WITHOUT_SMALL_DISK(disk);
    expectFailure(1, "No space left", Replay, "--seed 1 --ticks 400 --frames " + disk.path.string());
    for (const std::string& name : disk.files())
    {
        EXPECT_EQ(ReadAll(disk.path / name).substr(1, 3), "PNG") << name;
        EXPECT_GT(fs::file_size(disk.path / name), 100u) << name;
    }
    EXPECT_EQ(RunTool(Render, RenderArgs + "--out " + (disk.path / "out.wav").string(), scratch).exitCode, 1);
    EXPECT_FALSE(fs::exists(disk.path / "out.wav"));
}
