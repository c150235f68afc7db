// A whole game played through the real program under a private X server: the
// title screen, the stock read off the side panel, every tile of it planted
// with the keyboard, the garden opened and walked, the way out, and the sound
// of the whole run as SDL's disk audio driver wrote it.
//
// One test, because every step builds on the one before (the walk depends on
// the stock the panel shows) and a run takes about twenty seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/title_picture.h"
#include "game/sprites.h"
#include "gfx/font.h"
#include "gfx/palette.h"
#include "gfx/screen_buffer.h"
#include "gfx/title_screen.h"
#include "tests/e2e/xvfb_session.h"

// This file's own, private copy of the PNG reader.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image.h>
#pragma GCC diagnostic pop

using namespace e2e;

namespace
{
[[maybe_unused]] ::testing::Environment* const Xvfb = ::testing::AddGlobalTestEnvironment(new XvfbServer);

constexpr int Width = 1024;   // the Xvfb screen, and so the window
constexpr int Height = 768;

// Jitter keeps a live colour within 0.08 of its base: about 20 per byte.
constexpr int Tolerance = 25;

// In sanitizer builds the X and GL driver libraries leave allocations behind at
// exit; our own leaks are the unit tests' business.
const std::pair<std::string, std::string> NoLeakCheck = {"ASAN_OPTIONS", "detect_leaks=0"};

// What the player sees of the garden.
constexpr int BoardSide = 8;
constexpr int CellPixels = 12;
constexpr int TileKinds = 7;
constexpr int WholeStock = 36;
constexpr const char* TileKeys[TileKinds] = {"z", "x", "c", "v", "b", "n", "m"};
constexpr int CountColumn = 122;  // left edge of a panel row's stock count
const char* const OpenPrompt = "press space to open garden";

// Text baseline of panel row i (tile code i + 1): code 1 at the top.
constexpr int PanelBaseline(int row)
{
    return 85 - 13 * row;
}

// Audio as the disk driver writes it: S16LE stereo at 44100 Hz.
constexpr int AudioRate = 44100;
constexpr int BytesPerFrame = 4;
constexpr int FullScale = 32768;

// Key timing. A key is held over at least two 18 ms ticks so that the program
// sees it down in some update; a held arrow moves the cursor again only after
// 7 ticks (126 ms), so moves are spaced well beyond that.
constexpr const char* HoldSeconds = "0.08";
constexpr const char* SettleSeconds = "0.1";

struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

bool LoadPng(const fs::path& name, Picture& picture)
{
    int channels = 0;
    stbi_uc* pixels = stbi_load(name.c_str(), &picture.width, &picture.height, &channels, 4);
    if (!pixels)
    {
        return false;
    }
    picture.rgba.assign(pixels, pixels + picture.width * picture.height * 4);
    stbi_image_free(pixels);
    return true;
}

std::string ReadAll(const fs::path& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

//------------------------------------------------------------------------------
// Pictures as palette indices
//------------------------------------------------------------------------------

// Palette indices, one per framebuffer pixel at PixelOffset(x, y); -1 where a
// screenshot shows a colour near none of the base colours.
using Cells = std::vector<int8_t>;

int BaseByte(int index, int channel)
{
    float base = std::min(1.0f, std::max(0.0f, BasePalette[index][channel]));
    return static_cast<int>(base * 255);
}

// Reads each framebuffer pixel from the middle of its 8 x 8 block and names
// the nearest base colour within the jitter tolerance.
Cells ReadCells(const Picture& picture)
{
    Cells cells(ScreenPixels, -1);
    for (int x = 0; x < ScreenWidth; x++)
    {
        for (int y = 0; y < ScreenHeight; y++)
        {
            int column = x * Width / ScreenWidth + Width / ScreenWidth / 2;
            int row = (ScreenHeight - 1 - y) * Height / ScreenHeight + Height / ScreenHeight / 2;
            const uint8_t* rgb = &picture.rgba[(size_t(row) * picture.width + column) * 4];
            int nearest = Tolerance + 1;
            for (int index = 0; index < PaletteColours; index++)
            {
                int distance = 0;
                for (int k = 0; k < 3; k++)
                {
                    distance = std::max(distance, std::abs(rgb[k] - BaseByte(index, k)));
                }
                if (distance < nearest)
                {
                    nearest = distance;
                    cells[PixelOffset(x, y)] = static_cast<int8_t>(index);
                }
            }
        }
    }
    return cells;
}

// A drawn index as it shows: anything outside 0..9 is black, like colour 0.
int8_t Shown(int8_t index)
{
    return index >= 0 && index < PaletteColours ? index : 0;
}

Cells CaptureScreenBuffer()
{
    Cells cells(ScreenPixels);
    for (int i = 0; i < ScreenPixels; i++)
    {
        cells[i] = Shown(ScreenBuffer[i]);
    }
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

// Counts the pixels of `region` that show neither `expected` nor `alternative`
// (a second acceptable picture, such as the other phase of a blink), and
// describes the first of them.
int CountDifferences(const Cells& shown, const Cells& expected, const Cells& alternative, Region region,
                     std::string& first)
{
    int differences = 0;
    for (int x = region.left; x <= region.right; x++)
    {
        for (int y = region.bottom; y <= region.top; y++)
        {
            int8_t seen = shown[PixelOffset(x, y)];
            int8_t wanted = expected[PixelOffset(x, y)];
            if (seen != wanted && seen != alternative[PixelOffset(x, y)])
            {
                if (differences == 0)
                {
                    first = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") shows index " +
                            std::to_string(seen) + " instead of " + std::to_string(wanted);
                }
                differences++;
            }
        }
    }
    return differences;
}

int CountDifferences(const Cells& shown, const Cells& expected, Region region, std::string& first)
{
    return CountDifferences(shown, expected, expected, region, first);
}

//------------------------------------------------------------------------------
// The screens the program should show, drawn here without it
//------------------------------------------------------------------------------

// Both phases of the blinking prompt, from the title picture file the program
// reads in its working directory.
void DrawExpectedTitle(const fs::path& workingDirectory, Cells& first, Cells& second)
{
    fs::path previous = fs::current_path();
    fs::current_path(workingDirectory);
    ReadTitlePictureFile();
    fs::current_path(previous);
    FrameCounter = 0;
    ClearScreenBuffer();
    DrawTitleScreen();
    first = CaptureScreenBuffer();
    FrameCounter = 6;
    ClearScreenBuffer();
    DrawTitleScreen();
    second = CaptureScreenBuffer();
}

// A stock count as the panel writes it: a digit up to 9, then one character
// from "B" on (count + 56).
std::string CountText(int stock)
{
    char text[16];
    if (stock <= 9)
    {
        std::snprintf(text, sizeof text, "%d", stock);
    }
    else
    {
        std::snprintf(text, sizeof text, "%c", stock + 56);
    }
    return text;
}

// The planting phase as the test drives it.
struct Planting
{
    int tiles[BoardSide * BoardSide] = {};  // cell (x, y) at x * 8 + y
    int cursorX = 4;
    int cursorY = 4;
    int stock[TileKinds] = {};              // entry k: code k + 1

    bool stockEmpty() const
    {
        return std::all_of(std::begin(stock), std::end(stock), [](int n) { return n == 0; });
    }
};

constexpr Region PromptBox = {10, 2, 117, 9};

// The whole planting screen: tiles, cursor, separator, stock panel and, once
// the stock is used up, the prompt to open the garden.
Cells DrawExpectedPlanting(const Planting& planting)
{
    ClearScreenBuffer();
    for (int x = 0; x < BoardSide; x++)
    {
        for (int y = 0; y < BoardSide; y++)
        {
            drawSprite(planting.tiles[x * BoardSide + y], CellPixels * x + 6, CellPixels * y + 6, OrientUpright, false);
        }
    }
    int left = CellPixels * planting.cursorX;
    int bottom = CellPixels * planting.cursorY;
    for (int k = 0; k < CellPixels; k++)
    {
        PutPixelClipped(left + k, bottom, 6);
        PutPixelClipped(left + k, bottom + CellPixels - 1, 6);
        PutPixelClipped(left, bottom + k, 6);
        PutPixelClipped(left + CellPixels - 1, bottom + k, 6);
    }
    for (int y = 0; y < ScreenHeight; y++)
    {
        ScreenBuffer[PixelOffset(96, y)] = 3;
    }
    for (int row = 0; row < TileKinds; row++)
    {
        int y = PanelBaseline(row);
        drawSprite(row + 1, 110, y + 2, OrientUpright, true);
        DrawText(TileKeys[row], 98, y, 5, 1);
        DrawText("x", 118, y, 1, 1);
        DrawText(CountText(planting.stock[row]).c_str(), CountColumn, y, 2, 1);
    }
    if (planting.stockEmpty())
    {
        for (int x = PromptBox.left; x <= PromptBox.right; x++)
        {
            for (int y = PromptBox.bottom; y <= PromptBox.top; y++)
            {
                ScreenBuffer[PixelOffset(x, y)] = 0;
            }
        }
        DrawText(OpenPrompt, 64 - TextWidth(OpenPrompt) / 2, 4, 8, 1);
    }
    return CaptureScreenBuffer();
}

// Every stock whose count, drawn here, gives exactly the glyph a panel row
// shows. One answer is a reading; none or several mean the panel is unreadable.
std::vector<int> ReadStock(const Cells& shown, int row)
{
    int y = PanelBaseline(row);
    Region glyph = {CountColumn, y, ScreenWidth - 1, y + 4};
    std::vector<int> readings;
    for (int stock = 0; stock <= WholeStock; stock++)
    {
        ClearScreenBuffer();
        DrawText(CountText(stock).c_str(), CountColumn, y, 2, 1);
        std::string ignored;
        if (CountDifferences(shown, CaptureScreenBuffer(), glyph, ignored) == 0)
        {
            readings.push_back(stock);
        }
    }
    return readings;
}

// Where the gardener is drawn: a centre at which every visible pixel of its
// sprite, upright or mirrored, shows its colour. False when there is none.
bool FindGardener(const Cells& shown, int& centreX, int& centreY)
{
    constexpr int8_t Unset = -100;
    for (int mode : {OrientUpright, OrientMirrored})
    {
        std::fill(ScreenBuffer, ScreenBuffer + ScreenPixels, Unset);
        drawSprite(SpriteGardener, 64, 48, mode, false);
        struct Dot
        {
            int dx;
            int dy;
            int8_t index;
        };
        std::vector<Dot> dots;
        for (int x = 0; x < ScreenWidth; x++)
        {
            for (int y = 0; y < ScreenHeight; y++)
            {
                if (ScreenBuffer[PixelOffset(x, y)] != Unset)
                {
                    dots.push_back({x - 64, y - 48, Shown(ScreenBuffer[PixelOffset(x, y)])});
                }
            }
        }
        if (dots.empty())
        {
            return false;
        }
        for (int cx = 0; cx < 96; cx++)
        {
            for (int cy = 0; cy < ScreenHeight; cy++)
            {
                bool all = std::all_of(dots.begin(), dots.end(), [&](const Dot& dot) {
                    int x = cx + dot.dx;
                    int y = cy + dot.dy;
                    return OnScreen(x, y) && shown[PixelOffset(x, y)] == dot.index;
                });
                if (all)
                {
                    centreX = cx;
                    centreY = cy;
                    return true;
                }
            }
        }
    }
    return false;
}

//------------------------------------------------------------------------------
// The cursor's walk
//------------------------------------------------------------------------------

struct Cell
{
    int x;
    int y;
};

// From the start cell (4, 4) left along row 4, then snaking through rows 3 to
// 0: 37 cells, enough for the whole stock, each visited once. Rows 5 to 7 stay
// empty for the gardener, who arrives at the top-left cell.
std::vector<Cell> PlantingPath()
{
    std::vector<Cell> path;
    for (int x = 4; x >= 0; x--)
    {
        path.push_back({x, 4});
    }
    for (int y = 3; y >= 0; y--)
    {
        bool rightward = y % 2 == 1;
        for (int k = 0; k < BoardSide; k++)
        {
            path.push_back({rightward ? k : BoardSide - 1 - k, y});
        }
    }
    return path;
}

const char* ArrowBetween(Cell from, Cell to)
{
    if (to.x > from.x)
    {
        return "Right";
    }
    if (to.x < from.x)
    {
        return "Left";
    }
    return to.y > from.y ? "Up" : "Down";
}

// xdotool actions that hold a key over a few ticks and let it go.
std::string Tap(const std::string& key)
{
    return "keydown " + key + " sleep " + HoldSeconds + " keyup " + key;
}

//------------------------------------------------------------------------------
// Sound
//------------------------------------------------------------------------------

// Interleaved left/right samples.
using Samples = std::vector<int16_t>;

Samples ReadSamples(const fs::path& name)
{
    std::string bytes = ReadAll(name);
    Samples samples(bytes.size() / BytesPerFrame * 2);
    for (size_t i = 0; i < samples.size(); i++)
    {
        auto low = static_cast<uint8_t>(bytes[2 * i]);
        auto high = static_cast<uint8_t>(bytes[2 * i + 1]);
        samples[i] = static_cast<int16_t>(uint16_t(low | high << 8));
    }
    return samples;
}

size_t FramesIn(const Samples& samples)
{
    return samples.size() / 2;
}

// Loudest magnitude in either channel over frames [from, to).
int Peak(const Samples& samples, size_t from, size_t to)
{
    to = std::min(to, FramesIn(samples));
    int peak = 0;
    for (size_t i = 2 * from; i < 2 * to; i++)
    {
        peak = std::max(peak, std::abs(int(samples[i])));
    }
    return peak;
}

double Rms(const Samples& samples, size_t from, size_t to)
{
    to = std::min(to, FramesIn(samples));
    if (to <= from)
    {
        return 0.0;
    }
    double sum = 0.0;
    for (size_t i = 2 * from; i < 2 * to; i++)
    {
        sum += double(samples[i]) * samples[i];
    }
    return std::sqrt(sum / double(2 * (to - from)));
}

size_t Frames(double seconds)
{
    return static_cast<size_t>(seconds * AudioRate);
}

// The music's usual loudness: the median of the peaks of its 50 ms windows
// over frames [from, to). Drum hits and note onsets lie above it.
int MusicLevel(const Samples& samples, size_t from, size_t to)
{
    std::vector<int> peaks;
    for (size_t start = from; start + Frames(0.05) <= to; start += Frames(0.05))
    {
        peaks.push_back(Peak(samples, start, start + Frames(0.05)));
    }
    if (peaks.empty())
    {
        return 0;
    }
    std::sort(peaks.begin(), peaks.end());
    return peaks[peaks.size() / 2];
}

// Whether some 50 ms window of frames from `from` on is louder than `rms`.
bool SoundedSince(const Samples& samples, size_t from, double rms)
{
    for (size_t start = from; start + Frames(0.05) <= FramesIn(samples); start += Frames(0.05))
    {
        if (Rms(samples, start, start + Frames(0.05)) > rms)
        {
            return true;
        }
    }
    return false;
}

// What wrap-around arithmetic would leave in the output: frames where a
// channel leaps by more than 30000 from the frame before, and the longest run
// of frames in which a channel flips between the two halves of full scale.
struct WrapSigns
{
    int leaps = 0;
    int longestFlipRun = 0;
};

WrapSigns FindWrapSigns(const Samples& samples)
{
    WrapSigns signs;
    int run[2] = {0, 0};
    for (size_t frame = 1; frame < FramesIn(samples); frame++)
    {
        bool leap = false;
        for (int channel = 0; channel < 2; channel++)
        {
            int before = samples[2 * (frame - 1) + channel];
            int now = samples[2 * frame + channel];
            leap = leap || std::abs(now - before) > 30000;
            bool flip = std::abs(before) >= FullScale / 2 && std::abs(now) >= FullScale / 2 &&
                        (before < 0) != (now < 0);
            run[channel] = flip ? run[channel] + 1 : 0;
            signs.longestFlipRun = std::max(signs.longestFlipRun, run[channel]);
        }
        signs.leaps += leap ? 1 : 0;
    }
    return signs;
}

//------------------------------------------------------------------------------
// The program, played
//------------------------------------------------------------------------------

class PlayedProgram
{
public:
    ScratchDirectory scratch;
    pid_t pid = 0;
    std::chrono::steady_clock::time_point started;

    fs::path audioFile() const { return scratch.path / "audio.raw"; }

    void start()
    {
        started = std::chrono::steady_clock::now();
        pid = Spawn({ProgramPath()}, scratch.path,
                    {{"DISPLAY", XvfbServer::display},
                     {"SDL_AUDIODRIVER", "disk"},
                     {"SDL_DISKAUDIOFILE", audioFile().string()},
                     {"SDL_DISKAUDIODELAY", "46"},  // ms per 2048-frame buffer: real time
                     NoLeakCheck},
                    scratch.path / "stderr.txt");
    }

    bool windowShown()
    {
        return WaitFor([] { return RunOnDisplay(XvfbServer::display, "xdotool search --name '^mirelantha$'"); },
                       15000);
    }

    // Runs a line of xdotool actions, with its own sleeps, to the end.
    void keys(const std::string& actions)
    {
        RunOnDisplay(XvfbServer::display, "xdotool " + actions);
    }

    // Frames of sound written so far: where in the recording "now" is.
    size_t audioFrames() const
    {
        std::error_code error;
        auto size = fs::file_size(audioFile(), error);
        return error ? 0 : static_cast<size_t>(size) / BytesPerFrame;
    }

    // Presses Print Screen and reads the file it writes.
    bool screenshot(Picture& picture)
    {
        keys(Tap("Print"));
        fs::path name = scratch.path / ("screen" + std::to_string(screenshots++) + ".png");
        return WaitFor([&] { return LoadPng(name, picture); }, 5000) && picture.width == Width &&
               picture.height == Height;
    }

    int finish()
    {
        int status = WaitForExit(pid, 15000);
        pid = 0;
        return status;
    }

    double secondsRunning() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }

    ~PlayedProgram()
    {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0)
        {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        // Set MIRELANTHA_E2E_KEEP to a directory to look at what the run saw
        // and heard.
        if (const char* keep = std::getenv("MIRELANTHA_E2E_KEEP"))
        {
            std::error_code ignored;
            fs::create_directories(keep, ignored);
            for (const auto& entry : fs::directory_iterator(scratch.path, ignored))
            {
                if (entry.is_regular_file())
                {
                    fs::copy_file(entry.path(), fs::path(keep) / entry.path().filename(),
                                  fs::copy_options::overwrite_existing, ignored);
                }
            }
        }
    }

private:
    int screenshots = 0;
};
}

TEST(PlayThrough, PlantsTheWholeStockWalksTheGardenAndQuitsWithSoundAllTheWay)
{
    PlayedProgram program;
    program.start();
    ASSERT_TRUE(program.windowShown());
    ASSERT_TRUE(WaitFor([&] { return program.audioFrames() > 0; }, 5000)) << "no sound is being written";
    // The first frames, and title music: its first notes may fall a few
    // beats (0.43 s each) after the start.
    SleepMs(1000);
    EXPECT_TRUE(WaitFor([&] { return SoundedSince(ReadSamples(program.audioFile()), 0, 200.0); }, 6000))
        << "no title music";

    // 1. The title screen.
    Picture picture;
    std::string first;
    ASSERT_TRUE(program.screenshot(picture)) << "title screenshot";
    {
        Cells blinkOn;
        Cells blinkOff;
        DrawExpectedTitle(program.scratch.path, blinkOn, blinkOff);
        EXPECT_EQ(CountDifferences(ReadCells(picture), blinkOn, blinkOff, WholeScreen, first), 0)
            << "title screen: " << first;
    }

    // 2. A new game; the stock is read off the side panel.
    const size_t gameStart = program.audioFrames();
    program.keys(Tap("Return"));
    SleepMs(1800);  // game music alone, before any tile is placed
    ASSERT_TRUE(program.screenshot(picture)) << "first planting screenshot";
    Planting planting;
    {
        Cells shown = ReadCells(picture);
        for (int row = 0; row < TileKinds; row++)
        {
            std::vector<int> readings = ReadStock(shown, row);
            ASSERT_EQ(readings.size(), 1u) << "the stock count of panel row " << row << " is unreadable";
            planting.stock[row] = readings[0];
        }
        int total = 0;
        for (int stock : planting.stock)
        {
            total += stock;
        }
        EXPECT_EQ(total, WholeStock);
        EXPECT_GE(planting.stock[1], 4) << "at least four X tiles";
        EXPECT_EQ(CountDifferences(shown, DrawExpectedPlanting(planting), WholeScreen, first), 0)
            << "empty board with the cursor at (4, 4) and the stock panel: " << first;
    }

    // 3. Every tile planted, each on an empty cell of the walk, codes in order.
    const std::vector<Cell> path = PlantingPath();
    std::vector<size_t> placedAt;  // audio frame written just before each placing key
    for (int n = 0; n < WholeStock; n++)
    {
        if (n > 0)
        {
            program.keys(Tap(ArrowBetween(path[n - 1], path[n])) + " sleep " + SettleSeconds);
            planting.cursorX = path[n].x;
            planting.cursorY = path[n].y;
        }
        int row = 0;
        while (planting.stock[row] == 0)
        {
            row++;
        }
        placedAt.push_back(program.audioFrames());
        program.keys(Tap(TileKeys[row]));
        planting.tiles[path[n].x * BoardSide + path[n].y] = row + 1;
        planting.stock[row]--;

        if (n == WholeStock / 2 - 1 || n == WholeStock - 1)
        {
            SleepMs(150);  // a frame or two after the last key
            ASSERT_TRUE(program.screenshot(picture)) << "planting screenshot after " << n + 1 << " tiles";
            Cells shown = ReadCells(picture);
            EXPECT_EQ(CountDifferences(shown, DrawExpectedPlanting(planting), WholeScreen, first), 0)
                << "board, cursor and stock after " << n + 1 << " tiles: " << first;
            if (planting.stockEmpty())
            {
                EXPECT_EQ(CountDifferences(shown, DrawExpectedPlanting(planting), PromptBox, first), 0)
                    << "the prompt to open the garden: " << first;
            }
        }
    }

    // 4. The garden opened and the gardener walked right along the top row,
    // then down.
    program.keys(Tap("space") + " sleep 0.2 keydown Right sleep 1.6 keyup Right sleep 0.05 keydown Down sleep 0.7 "
                 "keyup Down sleep 0.1");
    ASSERT_TRUE(program.screenshot(picture)) << "garden screenshot";
    {
        Cells shown = ReadCells(picture);
        Cells expected(ScreenPixels, 1);
        for (int y = 0; y < ScreenHeight; y++)
        {
            expected[PixelOffset(96, y)] = 3;
        }
        EXPECT_EQ(CountDifferences(shown, expected, {96, 0, ScreenWidth - 1, ScreenHeight - 1}, first), 0)
            << "separator and plain side panel: " << first;
        int x = 0;
        int y = 0;
        ASSERT_TRUE(FindGardener(shown, x, y)) << "no gardener on the board";
        EXPECT_FALSE(x == 6 && y == 90) << "the gardener is still on the cell it arrived on";
    }

    // 5. Back to the title, and out.
    program.keys(Tap("Escape") + " sleep 0.3 " + Tap("Escape"));
    const double secondsRun = program.secondsRunning();
    EXPECT_EQ(program.finish(), 0) << ReadAll(program.scratch.path / "stderr.txt");

    // 6. What was heard. The disk driver writes in real time, so the frame
    // counts noted above tell where each stretch lies in the recording.
    Samples samples = ReadSamples(program.audioFile());
    EXPECT_GT(FramesIn(samples), Frames(0.6 * secondsRun)) << "the audio device stalled";
    EXPECT_GT(Rms(samples, 0, gameStart), 50.0) << "the title screen is silent";

    // The "start" sample of a new game is over after half a second; the game
    // music then plays alone until the first tile. Each placing key must be
    // followed, before the next key, by a sound well above that music (it
    // lands on the next quarter-beat grid line, 50 to 200 ms after the key).
    const int musicLevel = MusicLevel(samples, gameStart + Frames(0.6), placedAt.front());
    EXPECT_GT(Rms(samples, gameStart + Frames(0.6), placedAt.front()), 50.0) << "the game music is silent";
    const int loud = std::max(musicLevel * 3 / 2, FullScale / 32);
    int heard = 0;
    std::string peaks;
    for (size_t i = 0; i < placedAt.size(); i++)
    {
        size_t to = i + 1 < placedAt.size() ? placedAt[i + 1] : placedAt[i] + Frames(0.4);
        int peak = Peak(samples, placedAt[i], to);
        heard += peak > loud ? 1 : 0;
        peaks += std::to_string(peak) + " ";
    }
    EXPECT_GE(heard, WholeStock * 9 / 10) << "placing tiles is not heard above music of usual peak " << musicLevel
                                          << "; peaks after each placement: " << peaks;
    ::testing::Test::RecordProperty("music_level", musicLevel);
    ::testing::Test::RecordProperty("placements_heard", heard);

    EXPECT_LT(Peak(samples, 0, FramesIn(samples)), FullScale * 9 / 10);
    WrapSigns signs = FindWrapSigns(samples);
    EXPECT_LE(signs.leaps, 4) << "frames leaping by more than 30000";
    EXPECT_LE(signs.longestFlipRun, 2) << "full-scale sign flips in a row";
}
