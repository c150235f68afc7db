// What differs between the systems the tests run on: scratch folders, running
// the build's command-line tools through the system's shell (sh on Linux, with
// the emulator when built for another processor; cmd.exe on Windows, under
// Wine when cross-built) and golden values that depend on the C runtime's
// rand(). Test thread.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#endif

// The whole of a file, empty when it cannot be read.
inline std::string ReadAll(const std::filesystem::path& name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A tool of this build by name, such as "audio-render".
inline std::string ToolPath(const std::string& name)
{
    return std::string(MIRELANTHA_BINARY_DIR) + "/" + name + MIRELANTHA_EXE_SUFFIX;
}

// One argument quoted for the shell, so spaces and the shell's own
// characters pass through (no argument here holds a quote).
inline std::string Quote(const std::string& argument)
{
#ifdef _WIN32
    return "\"" + argument + "\"";
#else
    return "'" + argument + "'";
#endif
}

// Runs a command line; its exit code, or -1 when it did not exit normally.
inline int RunCommand(const std::string& command)
{
#ifdef _WIN32
    // cmd.exe drops the first and the last quote of the line when there are
    // more than two: a pair around the whole line keeps the inner ones.
    return std::system(("\"" + command + "\"").c_str());
#else
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

// Of two values recorded with the GNU C library's rand() and with the Windows
// C runtime's, the one for this build. Both generators give 0 to 32767 but
// different sequences, so a golden run that draws from rand() has one record
// per platform.
template <typename T>
constexpr T GoldenForThisRand([[maybe_unused]] T glibc, [[maybe_unused]] T windows)
{
#ifdef _WIN32
    return windows;
#else
    return glibc;
#endif
}

// A new empty folder of the test's own in the system's temporary folder, its
// name starting with `prefix`; removed with all it holds at the end of its scope.
class ScratchFolder
{
public:
    explicit ScratchFolder(const std::string& prefix = "mirelantha-")
    {
        std::random_device random;
        do
        {
            path = std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
        } while (!std::filesystem::create_directory(path));
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes a file of the folder; returns its path.
    std::string write(const std::string& name, const std::string& bytes) const
    {
        const std::string file = (path / name).string();
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

    std::filesystem::path path;
};

// Puts the working directory back where it was when this was made, at the
// end of its scope. Made after any scratch folder a test moves into, so the
// test has left the folder before it is removed.
class KeepWorkingDirectory
{
public:
    KeepWorkingDirectory() {}  // user-provided, so a const member needs no initialiser
    ~KeepWorkingDirectory() { std::filesystem::current_path(previous); }

private:
    const std::filesystem::path previous = std::filesystem::current_path();
};

// What a run of one of the build's tools did: its exit code, its standard
// output (unless sent elsewhere) and its standard error.
struct ToolRun
{
    int exitCode;
    std::string output;
    std::string errors;
};

// Runs tool `name` with `arguments` in `folder`, so relative names are the
// folder's; standard output goes to `out` when given. A build for another
// processor starts it through its emulator. On Linux a run that
// hangs is killed after two minutes and fails instead of holding the suite up.
inline ToolRun RunTool(const std::string& name, const std::string& arguments, const ScratchFolder& folder,
                       const std::string& out = "")
{
    const std::string output = (folder.path / "stdout.txt").string();
    const std::string errors = (folder.path / "stderr.txt").string();
#ifdef _WIN32
    const std::string enter = "cd /d " + Quote(folder.path.string()) + " && ";
#else
    const std::string enter = "cd " + Quote(folder.path.string()) + " && timeout -s KILL 120 ";
#endif
#ifdef MIRELANTHA_TOOL_EMULATOR
    const std::string program = MIRELANTHA_TOOL_EMULATOR " " + Quote(ToolPath(name));
#else
    const std::string program = Quote(ToolPath(name));
#endif
    const int exitCode = RunCommand(enter + program + " " + arguments + " >" +
                                    Quote(out.empty() ? output : out) + " 2>" + Quote(errors));
    return {exitCode, out.empty() ? ReadAll(output) : "", ReadAll(errors)};
}
