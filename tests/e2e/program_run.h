// What the end-to-end tests share: a private Xvfb server for the whole test
// binary, the real program run on it in a scratch directory as a watched child
// process, pressing keys, reading its screenshots and the window back as
// palette indices, and the title screen it should show. Test thread.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "gfx/palette.h"
#include "gfx/screen_buffer.h"
#include "gfx/title_picture.h"
#include "gfx/title_screen.h"
#include "tests/sound_measures.h"
#include "tests/test_platform.h"

#include <stb_image.h>  // Required for: stbi_load()

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
    return std::system(("DISPLAY=" + display + " " + command + " >/dev/null 2>&1").c_str()) == 0;
}

// What a shell command with DISPLAY set prints on stdout.
inline std::string OutputOnDisplay(const std::string& display, const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(("DISPLAY=" + display + " " + command + " 2>/dev/null").c_str(), "r"))
    {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        {
            output.append(buffer, n);
        }
        pclose(pipe);
    }
    return output;
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
        std::vector<char*> args(argv.size() + 1, nullptr);
        std::transform(argv.begin(), argv.end(), args.begin(),
                       [](const std::string& arg) { return const_cast<char*>(arg.c_str()); });
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

// An Xvfb server started with `arguments` on the first display number from
// `first` that is free, that it wins and that answers; `display` stays empty
// when none does. Killed outright at the end, as a crashing server dies, with
// what it leaves behind cleared so the number is free again.
class XServer
{
public:
    std::string display;
    pid_t pid = 0;

    XServer(int first, const std::vector<std::string>& arguments)
    {
        for (int number = first; number < 200 && display.empty(); number++)
        {
            const std::string name = ":" + std::to_string(number);
            if (fs::exists("/tmp/.X" + name.substr(1) + "-lock") || fs::exists("/tmp/.X11-unix/X" + name.substr(1)))
            {
                continue;
            }
            std::vector<std::string> argv = {"/usr/bin/Xvfb", name, "-nolisten", "tcp"};
            argv.insert(argv.end(), arguments.begin(), arguments.end());
            pid = Spawn(argv, "/", {}, "/dev/null");
            // Until it answers, or dies having lost the race for this number.
            bool lost = false;
            const bool answered = WaitFor([&] {
                lost = waitpid(pid, nullptr, WNOHANG) == pid;
                return lost || RunOnDisplay(name, "xdpyinfo");
            }, 10000);
            pid = lost ? 0 : pid;
            if (answered && !lost)
            {
                display = name;
            }
            else
            {
                stop();
            }
        }
    }
    ~XServer() { stop(); }

    void stop()
    {
        if (pid > 0)
        {
            kill(pid, SIGKILL);
            waitpid(std::exchange(pid, 0), nullptr, 0);
        }
        if (!display.empty())
        {
            std::error_code ignored;
            fs::remove("/tmp/.X" + display.substr(1) + "-lock", ignored);
            fs::remove("/tmp/.X11-unix/X" + std::exchange(display, "").substr(1), ignored);
        }
    }
};

// One Xvfb server for all tests of the binary. It keeps its screen in an XWD
// file in its scratch folder, so tests can see what the window shows.
class XvfbServer : public ::testing::Environment
{
public:
    static inline std::string display;
    static inline std::unique_ptr<ScratchFolder> screen;
    static inline std::unique_ptr<XServer> server;

    void SetUp() override
    {
        screen = std::make_unique<ScratchFolder>("mirelantha-xvfb-");
        server = std::make_unique<XServer>(87, std::vector<std::string>{"-screen", "0", "1024x768x24", "-noreset",
                                                                        "-fbdir", screen->path.string()});
        display = server->display;
        ASSERT_FALSE(display.empty()) << "could not start Xvfb";
    }

    void TearDown() override
    {
        server.reset();
        screen.reset();
    }
};

// Registered once for the whole test binary, whichever files include this.
inline ::testing::Environment* const Xvfb = ::testing::AddGlobalTestEnvironment(new XvfbServer);

// The program under test: the native build, or another one named by
// MIRELANTHA_E2E_PROGRAM, such as the unzipped Windows game, which then runs
// under Wine through platform/windows/wine_run.sh with its own dat/ beside it.
inline const std::string ProgramPath = [] {
    const char* other = std::getenv("MIRELANTHA_E2E_PROGRAM");
    return other && *other ? fs::absolute(other).string() : std::string(MIRELANTHA_BINARY_DIR "/mirelantha");
}();
inline const bool UnderWine = fs::path(ProgramPath).extension() == ".exe";

// Whether the program is another one that ships its data beside it, as the
// unzipped Windows game does: it is then started from an empty folder, as a
// shortcut or a launcher starts it, and must find that data itself.
inline const bool ShipsItsData = ProgramPath != MIRELANTHA_BINARY_DIR "/mirelantha" &&
                                 fs::is_directory(fs::path(ProgramPath).parent_path() / "dat");

// The data the program is run with: the tree's, or the copy shipped beside
// another program.
inline fs::path ProgramData()
{
    return ShipsItsData ? fs::path(ProgramPath).parent_path() / "dat" : fs::path(MIRELANTHA_SOURCE_DIR) / "dat";
}

// Wine takes seconds to start a program and to wind it up; only there are the
// waits for the window and for the exit longer.
inline const int StartupWaitMs = UnderWine ? 60000 : 15000;

constexpr int Width = 1024;  // the Xvfb screen, and so the window
constexpr int Height = 768;
// Jitter keeps a live colour within 0.08 of its base: about 20 per byte.
constexpr int Tolerance = 25;

struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

inline bool LoadPng(const fs::path& name, Picture& picture)
{
    int channels = 0;
    stbi_uc* pixels = stbi_load(name.c_str(), &picture.width, &picture.height, &channels, 4);
    picture.rgba.assign(pixels, pixels ? pixels + picture.width * picture.height * 4 : pixels);
    stbi_image_free(pixels);
    return pixels != nullptr;
}

// Frames of sound SDL's disk audio driver has written so far (S16LE stereo
// at 44100 Hz): where in the recording "now" is.
inline size_t AudioFrames(const fs::path& audioFile)
{
    std::error_code error;
    return static_cast<size_t>(fs::file_size(audioFile, error)) / 4;  // 0 on error, where size is -1
}

// Whether some 50 ms of the recording so far is loud enough to be music.
inline bool MusicHeard(const fs::path& audioFile)
{
    const std::vector<Level> levels = Windows(DecodeFrames(ReadAll(audioFile)));
    return std::any_of(levels.begin(), levels.end(), [](const Level& level) { return level.rms > 200.0; });
}

// What the screen shows now, as RGBA rows top first: read from the XWD file
// Xvfb keeps (big-endian header; 32-bit pixels, least significant byte first,
// which on a 24-bit screen are blue, green, red).
inline bool ReadXvfbScreen(Picture& picture)
{
    const std::string file = ReadAll(XvfbServer::screen->path / "Xvfb_screen0");
    auto field = [&](int index) -> uint32_t {
        const auto* p = reinterpret_cast<const uint8_t*>(&file[index * 4]);
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    };
    // Bits per pixel, byte order and the red mask.
    if (file.size() < 100 || field(11) != 32 || field(7) != 0 || field(14) != 0xFF0000u)
    {
        return false;
    }
    picture.width = static_cast<int>(field(4));
    picture.height = static_cast<int>(field(5));
    const size_t start = field(0) + field(19) * 12;  // header, then the colour map
    const size_t pixels = size_t(picture.width) * picture.height;
    if (file.size() < start + size_t(field(12)) * picture.height)
    {
        return false;
    }
    picture.rgba.assign(pixels * 4, 255);
    for (size_t i = 0; i < pixels; i++)
    {
        const size_t at = start + i / picture.width * field(12) + i % picture.width * 4;
        const auto* p = reinterpret_cast<const uint8_t*>(&file[at]);
        std::copy_n(std::array<uint8_t, 3>{p[2], p[1], p[0]}.begin(), 3, &picture.rgba[i * 4]);
    }
    return true;
}

// Palette indices, one per framebuffer pixel at PixelOffset(x, y); -1 where a
// picture shows a colour near none of the base colours.
using Cells = std::vector<int8_t>;

// Reads each framebuffer pixel from the middle of its 8 x 8 block of a
// window-sized picture and names the nearest base colour within tolerance.
inline Cells ReadCells(const Picture& picture)
{
    constexpr int Block = Width / ScreenWidth;
    Cells cells(ScreenPixels, -1);
    for (int i = 0; i < ScreenPixels; i++)
    {
        const int row = (ScreenHeight - 1 - i % ScreenHeight) * Block + Block / 2;
        const uint8_t* rgb = &picture.rgba[(size_t(row) * picture.width + i / ScreenHeight * Block + Block / 2) * 4];
        int nearest = Tolerance + 1;
        for (int index = 0; index < PaletteColours; index++)
        {
            int distance = 0;
            for (int k = 0; k < 3; k++)
            {
                const int base = static_cast<int>(std::clamp(BasePalette[index][k], 0.0f, 1.0f) * 255);
                distance = std::max(distance, std::abs(rgb[k] - base));
            }
            cells[i] = distance < nearest ? static_cast<int8_t>(index) : cells[i];
            nearest = std::min(nearest, distance);
        }
    }
    return cells;
}

// The ScreenBuffer as it shows: anything outside 0..9 is black, like colour 0.
inline Cells CaptureScreenBuffer()
{
    Cells cells(ScreenPixels);
    std::transform(ScreenBuffer, ScreenBuffer + ScreenPixels, cells.begin(),
                   [](int8_t index) { return index >= 0 && index < PaletteColours ? index : int8_t{0}; });
    return cells;
}

// Inclusive pixel bounds.
struct Region
{
    int left;
    int bottom;
    int right;
    int top;
};
constexpr Region WholeScreen = {0, 0, ScreenWidth - 1, ScreenHeight - 1};

// Counts the pixels of `region` that show neither `expected` nor, if given,
// `alternative` (such as the other phase of a blink), and describes the first.
inline int CountDifferences(const Cells& shown, const Cells& expected, Region region, std::string& first,
                            const Cells* alternative = nullptr)
{
    int differences = 0;
    for (int x = region.left; x <= region.right; x++)
    {
        for (int y = region.bottom; y <= region.top; y++)
        {
            const int at = PixelOffset(x, y);
            if (shown[at] != expected[at] && (!alternative || shown[at] != (*alternative)[at]) && differences++ == 0)
            {
                first = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") shows index " +
                        std::to_string(shown[at]) + " instead of " + std::to_string(expected[at]);
            }
        }
    }
    return differences;
}

// The title screen in both phases of the blinking prompt, from the title
// picture file in `data`.
inline void DrawExpectedTitle(const fs::path& data, Cells& first, Cells& second)
{
    ReadTitlePictureFile(data.string());
    for (Cells* phase : {&first, &second})
    {
        FrameCounter = phase == &first ? 0 : 6;  // the prompt's two colours
        ClearScreenBuffer();
        DrawTitleScreen();
        *phase = CaptureScreenBuffer();
    }
}

// xdotool actions that hold a key over a few 18 ms ticks, so that the program
// sees it down in some update, and let it go.
inline std::string Tap(const std::string& key)
{
    return "keydown " + key + " sleep 0.08 keyup " + key;
}

// xdotool actions that press and release a key at once, well within one
// pass of the program's main loop, so that both reach it in one look at its
// event queue.
inline std::string QuickPress(const std::string& key)
{
    return "key --delay 0 " + key;
}

// The program on the test X server, working in a scratch directory that by
// default holds a link to the program's data (unless it ships its own).
class Program
{
public:
    ScratchFolder scratch{"mirelantha-e2e-"};
    std::string path = ProgramPath;
    std::vector<std::string> arguments;  // after the path
    fs::path errorFile = scratch.path / "stderr.txt";
    std::string display = XvfbServer::display;
    pid_t pid = 0;
    int nextScreenshot = 0;
    std::chrono::steady_clock::time_point started;

    explicit Program(bool withData = true)
    {
        if (withData && !ShipsItsData)
        {
            fs::create_directory_symlink(ProgramData(), scratch.path / "dat");
        }
    }

    // `environment` adds to the display and, for sanitizer builds, no leak
    // check: the X and GL driver libraries leave allocations behind at exit,
    // and our own leaks are the unit tests' business. A preloaded library
    // (a pad's testbed) may come before the sanitizer's runtime.
    void start(std::vector<std::pair<std::string, std::string>> environment)
    {
        environment.insert(environment.end(),
                           {{"DISPLAY", display}, {"ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0"}});
        started = std::chrono::steady_clock::now();
        std::vector<std::string> argv = {path};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        if (fs::path(path).extension() == ".exe")
        {
            argv.insert(argv.begin(), MIRELANTHA_SOURCE_DIR "/platform/windows/wine_run.sh");
        }
        pid = Spawn(argv, scratch.path, environment, errorFile);
    }

    bool windowShown()
    {
        return WaitFor([&] { return RunOnDisplay(display, "xdotool search --name '^mirelantha$'"); }, StartupWaitMs);
    }

    // Runs a line of xdotool actions, with its own sleeps, to the end.
    void keys(const std::string& actions) { RunOnDisplay(display, "xdotool " + actions); }

    // Presses Print Screen and reads the window-sized file it writes: the
    // first number not yet taken, also by a press a busy machine repeated.
    bool screenshot(Picture& picture)
    {
        auto numbered = [&](int number) { return scratch.path / ("screen" + std::to_string(number) + ".png"); };
        while (fs::exists(numbered(nextScreenshot)))
        {
            nextScreenshot++;
        }
        keys(Tap("Print"));
        const fs::path name = numbered(nextScreenshot++);
        return WaitFor([&] { return LoadPng(name, picture); }, 5000) && picture.width == Width &&
               picture.height == Height;
    }

    // The screenshots written so far in its folder.
    int screenshots() const
    {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(scratch.path))
        {
            count += entry.path().extension() == ".png" ? 1 : 0;
        }
        return count;
    }

    int finish()
    {
        return WaitForExit(std::exchange(pid, 0), StartupWaitMs);
    }

    ~Program()
    {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0)
        {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

}  // namespace e2e
