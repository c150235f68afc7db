// What the end-to-end tests share: a private Xvfb server for the whole test
// binary, the real program run on it in a scratch directory as a watched child
// process, pressing keys, reading its screenshots and the window back as
// palette indices, and the title screen it should show. Test thread.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "gfx/icon.h"
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

// Runs a shell command with DISPLAY set for all of it; true when it exits 0.
inline bool RunOnDisplay(const std::string& display, const std::string& command)
{
    return std::system(("export DISPLAY=" + display + "; " + command + " >/dev/null 2>&1").c_str()) == 0;
}

// What a shell command with DISPLAY set prints on stdout.
inline std::string OutputOnDisplay(const std::string& display, const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(("export DISPLAY=" + display + "; " + command + " 2>/dev/null").c_str(), "r"))
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

// An Xvfb server started with `arguments` on a display number it picks
// itself among the free ones, and says once it answers; `display` stays empty
// when it does not within ten seconds. Killed outright at the end, as a
// crashing server dies, with what it leaves behind cleared so the number is
// free again.
class XServer
{
public:
    std::string display;
    pid_t pid = 0;

    explicit XServer(const std::vector<std::string>& arguments)
    {
        int told[2];
        if (pipe(told) != 0)
        {
            return;
        }
        std::vector<std::string> argv = {"/usr/bin/Xvfb", "-displayfd", std::to_string(told[1]), "-nolisten", "tcp"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        pid = Spawn(argv, "/", {}, "/dev/null");
        close(told[1]);
        pollfd ready = {told[0], POLLIN, 0};
        char number[16] = {};
        if (poll(&ready, 1, 10000) == 1 && read(told[0], number, sizeof number - 1) > 0)
        {
            display = ":" + std::to_string(std::atoi(number));
        }
        close(told[0]);
        if (display.empty())
        {
            stop();
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
// file in its scratch folder, so tests can see what the window shows. It has
// no key repeat of its own: a busy machine stretches a tap past the server's
// repeat delay and splits it into two presses, and a held key is tested
// against the game's own repeat.
class XvfbServer : public ::testing::Environment
{
public:
    static inline std::string display;
    static inline std::unique_ptr<ScratchFolder> screen;
    static inline std::unique_ptr<XServer> server;

    void SetUp() override
    {
        screen = std::make_unique<ScratchFolder>("mirelantha-xvfb-");
        server = std::make_unique<XServer>(std::vector<std::string>{"-screen", "0", "1024x768x24", "-noreset",
                                                                    "-ardelay", "3600000", "-fbdir",
                                                                    screen->path.string()});
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

// The emulator that runs a program built for another processor, such as the
// arm64 game under qemu's user-mode emulator: MIRELANTHA_E2E_EMULATOR, the
// emulator's path, put before every program these tests start (the build's,
// MIRELANTHA_E2E_PROGRAM or an unpacked package's).
inline const std::string Emulator = std::getenv("MIRELANTHA_E2E_EMULATOR") ? std::getenv("MIRELANTHA_E2E_EMULATOR") : "";

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

// Wine takes seconds to start a program and to wind it up, and an emulator
// runs it many times slower; only there are the waits for the window, a
// screenshot and the exit longer.
inline const bool Slow = UnderWine || !Emulator.empty();
inline const int StartupWaitMs = Slow ? 60000 : 15000;
inline const int ScreenshotWaitMs = Slow ? 30000 : 5000;

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

// The variables by which the sound libraries find a server or a device,
// pointed at nothing in `folder`: for a child that must find no sound at all,
// whatever the machine runs for other programs (PulseAudio or PipeWire in the
// usual runtime folder, JACK, sndio, ALSA's own configuration, OSS).
inline std::vector<std::pair<std::string, std::string>> NoSoundServers(const fs::path& folder)
{
    fs::create_directories(folder);
    std::ofstream(folder / "asound.conf").flush();  // ALSA without a single device
    const std::string none = (folder / "none").string();
    return {{"XDG_RUNTIME_DIR", folder.string()},  {"PIPEWIRE_RUNTIME_DIR", folder.string()},
            {"PIPEWIRE_REMOTE", ""},                {"PULSE_SERVER", "unix:" + none},
            {"ALSA_CONFIG_PATH", (folder / "asound.conf").string()},
            {"AUDIODEV", none},                     {"AUDIODEVICE", none},
            {"JACK_DEFAULT_SERVER", "mirelantha-none"}};
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
    const size_t start = file.size() < 100 ? 0 : field(0) + field(19) * 12;  // header, then the colour map
    // Bits per pixel, byte order, the red mask, and every row there.
    if (file.size() < 100 || field(11) != 32 || field(7) != 0 || field(14) != 0xFF0000u
        || file.size() < start + size_t(field(12)) * field(5))
    {
        return false;
    }
    picture.width = static_cast<int>(field(4));
    picture.height = static_cast<int>(field(5));
    const size_t pixels = size_t(picture.width) * picture.height;
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

// What the window shows now; nothing known if the screen file could not be read.
inline Cells ShownNow()
{
    Picture window;
    return ReadXvfbScreen(window) && window.width == Width && window.height == Height ? ReadCells(window)
                                                                                        : Cells(ScreenPixels, -1);
}

// The ScreenBuffer as it shows: anything outside 0..9 is black, like colour 0.
inline Cells CaptureScreenBuffer()
{
    Cells cells(ScreenPixels);
    std::transform(ScreenBuffer, ScreenBuffer + ScreenPixels, cells.begin(),
                   [](int8_t index) { return index >= 0 && index < PaletteColours ? index : int8_t{0}; });
    return cells;
}

// Counts the pixels that show neither `expected` nor, if given, `alternative`
// (such as the other phase of a blink), and describes the first.
inline int CountDifferences(const Cells& shown, const Cells& expected, std::string& first,
                            const Cells* alternative = nullptr)
{
    int differences = 0;
    for (int at = 0; at < ScreenPixels; at++)
    {
        if (shown[at] != expected[at] && (!alternative || shown[at] != (*alternative)[at]) && differences++ == 0)
        {
            first = "pixel (" + std::to_string(at / ScreenHeight) + ", " + std::to_string(at % ScreenHeight) +
                    ") shows index " + std::to_string(shown[at]) + " instead of " + std::to_string(expected[at]);
        }
    }
    return differences;
}

// Pixels of a window-sized picture that show neither phase of the blinking
// prompt of the title screen drawn from the title picture in `data`.
inline int TitleDifferences(const Picture& picture, const fs::path& data, std::string& first)
{
    ReadTitlePictureFile(data.string());
    Cells phases[2];
    for (int phase = 0; phase < 2; phase++)
    {
        FrameCounter = phase * 6;  // the prompt's two colours
        ClearScreenBuffer();
        DrawTitleScreen();
        phases[phase] = CaptureScreenBuffer();
    }
    return CountDifferences(ReadCells(picture), phases[0], first, &phases[1]);
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

// The program on the test X server, started in `folder` (where its
// screenshots land), which by default holds a link to the program's data
// (unless it ships its own); its stderr and any capture stay in the scratch
// folder around it.
class Program
{
public:
    ScratchFolder scratch{"mirelantha-e2e-"};
    fs::path folder = scratch.path / "play";
    std::string path = ProgramPath;
    std::vector<std::string> arguments;  // after the path
    fs::path errorFile = scratch.path / "stderr.txt";
    std::string display = XvfbServer::display;
    pid_t pid = 0;
    int nextScreenshot = 0;
    std::vector<std::string> taken;  // the names screenshot() waited for
    std::chrono::steady_clock::time_point started;

    explicit Program(bool withData = true)
    {
        fs::create_directory(folder);
        if (withData && !ShipsItsData)
        {
            fs::create_directory_symlink(ProgramData(), folder / "dat");
        }
    }

    // `environment` is added to the display; the video driver and a Wayland
    // session of the machine are not passed on unless given, and sanitizer
    // builds skip the leak check (the X and GL driver libraries leave
    // allocations behind at exit; our own leaks are the unit tests' business).
    // A preloaded library (a pad's testbed) may come before the sanitizer's
    // runtime.
    void start(std::vector<std::pair<std::string, std::string>> environment)
    {
        environment.insert(environment.begin(), {{"SDL_VIDEODRIVER", ""}, {"WAYLAND_DISPLAY", ""}});
        environment.insert(environment.end(),
                           {{"DISPLAY", display}, {"ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0"}});
        started = std::chrono::steady_clock::now();
        std::vector<std::string> argv = {path};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        if (fs::path(path).extension() == ".exe")
        {
            argv.insert(argv.begin(), MIRELANTHA_SOURCE_DIR "/platform/windows/wine_run.sh");
        }
        else if (!Emulator.empty())
        {
            argv.insert(argv.begin(), Emulator);
        }
        pid = Spawn(argv, folder, environment, errorFile);
    }

    bool windowShown()
    {
        return WaitFor([&] { return RunOnDisplay(display, "xdotool search --name '^mirelantha$'"); }, StartupWaitMs);
    }

    // Runs a line of xdotool actions, with its own sleeps, to the end.
    void keys(const std::string& actions) { RunOnDisplay(display, "xdotool " + actions); }

    // Presses Print Screen and reads the window-sized file it writes under
    // the first number not yet taken.
    bool screenshot(Picture& picture)
    {
        while (fs::exists(shot(nextScreenshot)))
        {
            nextScreenshot++;
        }
        keys(Tap("Print"));
        const fs::path name = shot(nextScreenshot++);
        taken.push_back(name.filename().string());
        return WaitFor([&] { return LoadPng(name, picture); }, ScreenshotWaitMs) && picture.width == Width &&
               picture.height == Height;
    }

    fs::path shot(int number) const { return folder / ("screen" + std::to_string(number) + ".png"); }

    // The screenshots written so far.
    int screenshots() const
    {
        return static_cast<int>(std::count_if(fs::directory_iterator(folder), fs::directory_iterator(),
                                              [](const auto& entry) { return entry.path().extension() == ".png"; }));
    }

    int finish() { return WaitForExit(std::exchange(pid, 0), StartupWaitMs); }

    // That it ends with exit 1 and one line on stderr naming the game, as
    // it must when its display, window or input is lost or taken.
    void expectEndsWithOneLine(int timeoutMs = 5000)
    {
        EXPECT_EQ(WaitForExit(std::exchange(pid, 0), timeoutMs), 1) << "-1: an abort, a signal or no end at all";
        const std::string message = ReadAll(errorFile);
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_NE(message.find("mirelantha:"), std::string::npos) << message;
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

// Of the pictures the game's window carries as its icon (_NET_WM_ICON, which
// docks and task switchers show; Wine hands on the window class's icon), the
// best share of pixels that show the icon drawn from the title picture last
// read, at that picture's size (within 12 per channel; only opacity where the
// icon is not opaque).
inline double WindowIconLikeness(const std::string& display)
{
    std::istringstream text(OutputOnDisplay(display, "xprop -notype -id \"$(xdotool search --name '^mirelantha$' "
                                                     "| head -n 1)\" 32c _NET_WM_ICON | cut -s -d = -f 2"));
    std::vector<uint32_t> values;
    for (std::string value; std::getline(text, value, ',') && value.find_first_of("0123456789") != value.npos;)
    {
        values.push_back(static_cast<uint32_t>(std::stoul(value)));
    }
    double best = 0.0;
    for (size_t at = 0; at + 2 <= values.size() && values[at] == values[at + 1] &&
                        at + 2 + size_t(values[at]) * values[at] <= values.size();
         at += 2 + size_t(values[at]) * values[at])
    {
        const int size = static_cast<int>(values[at]);
        const std::vector<uint8_t> expected = RenderIcon(size);
        int alike = 0;
        for (int i = 0; i < size * size; i++)
        {
            const uint32_t argb = values[at + 2 + i];
            const uint8_t* rgba = &expected[i * 4];
            const int shown[4] = {int(argb >> 16 & 0xFF), int(argb >> 8 & 0xFF), int(argb & 0xFF), int(argb >> 24)};
            int worst = std::abs(shown[3] - rgba[3]);
            for (int k = 0; k < 3 && rgba[3] == 255; k++)
            {
                worst = std::max(worst, std::abs(shown[k] - rgba[k]));
            }
            alike += worst <= 12;
        }
        best = std::max(best, alike / double(size * size));
    }
    return best;
}

}  // namespace e2e
