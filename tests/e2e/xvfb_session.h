// Support for end-to-end tests: a private Xvfb server for the whole test
// binary, a scratch working directory per run, and the real program started
// and watched as a child process.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace e2e
{
namespace fs = std::filesystem;

inline void SleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Runs a shell command with DISPLAY set; true when it exits 0.
inline bool RunOnDisplay(const std::string& display, const std::string& command)
{
    std::string line = "DISPLAY=" + display + " " + command + " >/dev/null 2>&1";
    return std::system(line.c_str()) == 0;
}

// Polls until `predicate` holds or timeoutMs has passed.
template <typename Predicate>
bool WaitFor(Predicate predicate, int timeoutMs)
{
    for (int waited = 0; waited <= timeoutMs; waited += 50)
    {
        if (predicate())
        {
            return true;
        }
        SleepMs(50);
    }
    return false;
}

// Starts a process with the given environment additions (or removals, for an
// empty value) in `directory`, stderr to `errorFile`. Returns its pid.
inline pid_t Spawn(const std::vector<std::string>& argv, const fs::path& directory,
                   const std::vector<std::pair<std::string, std::string>>& environment, const fs::path& errorFile)
{
    pid_t pid = fork();
    if (pid == 0)
    {
        for (const auto& [name, value] : environment)
        {
            value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<char*> args;
        for (const std::string& arg : argv)
        {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        if (chdir(directory.c_str()) == 0 && std::freopen(errorFile.c_str(), "w", stderr) &&
            std::freopen("/dev/null", "w", stdout))
        {
            execv(args[0], args.data());
        }
        _exit(127);
    }
    return pid;
}

// Waits up to timeoutMs for the child to end. Returns its exit status, or -1
// after killing it when it did not end in time (or died from a signal).
inline int WaitForExit(pid_t pid, int timeoutMs)
{
    int status = 0;
    if (WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs))
    {
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

// One Xvfb server on a free display number for all tests of the binary. It
// keeps its screen in an XWD file in screenDirectory, so tests can see what
// the window shows.
class XvfbServer : public ::testing::Environment
{
public:
    static inline std::string display;
    static inline pid_t pid = 0;
    static inline fs::path screenDirectory;

    void SetUp() override
    {
        char pattern[] = "/tmp/mirelantha-xvfb-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        screenDirectory = pattern;
        for (int number = 87; number < 200 && display.empty(); number++)
        {
            std::string name = ":" + std::to_string(number);
            if (fs::exists("/tmp/.X" + std::to_string(number) + "-lock") ||
                fs::exists("/tmp/.X11-unix/X" + std::to_string(number)))
            {
                continue;
            }
            pid = Spawn({"/usr/bin/Xvfb", name, "-screen", "0", "1024x768x24", "-noreset", "-nolisten", "tcp",
                         "-fbdir", screenDirectory.string()},
                        "/", {}, "/dev/null");
            // Until it answers, or dies having lost the race for this number.
            bool lost = false;
            bool answered = WaitFor([&] {
                lost = waitpid(pid, nullptr, WNOHANG) == pid;
                return lost || RunOnDisplay(name, "xdpyinfo");
            }, 10000);
            pid = lost ? 0 : pid;
            display = answered && !lost ? name : "";
            if (display.empty())
            {
                stop();
            }
        }
        ASSERT_FALSE(display.empty()) << "could not start Xvfb";
    }

    void TearDown() override
    {
        stop();
        std::error_code ignored;
        fs::remove_all(screenDirectory, ignored);
    }

private:
    static void stop()
    {
        if (pid > 0)
        {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            pid = 0;
        }
    }
};

// Registered once for the whole test binary, whichever files include this.
inline ::testing::Environment* const Xvfb = ::testing::AddGlobalTestEnvironment(new XvfbServer);

// A scratch working directory holding a link to the program's data.
class ScratchDirectory
{
public:
    fs::path path;

    ScratchDirectory()
    {
        char pattern[] = "/tmp/mirelantha-e2e-XXXXXX";
        if (mkdtemp(pattern))
        {
            path = pattern;
            fs::create_directory_symlink(fs::path(MIRELANTHA_SOURCE_DIR) / "dat", path / "dat");
        }
    }
    ~ScratchDirectory()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

inline std::string ProgramPath()
{
    return std::string(MIRELANTHA_BINARY_DIR) + "/mirelantha";
}
}
