// A whole game played through the real program as a player plays it: the
// title screen in a screenshot and in the window itself, the stock read off
// the side panel, every tile of it planted with the keyboard, the garden
// opened and walked, the way back and out, one picture per press and nothing
// else written where it was started, and the sound of the whole run as SDL's
// disk audio driver wrote it. One scenario, because every step builds on the
// one before (the walk depends on the stock the panel shows), run on every
// stack: the build tree's program, on each SDL 1.2 library, and the game as
// players install it (the Debian package unpacked anywhere or installed in a
// minimal system, the Windows zip) wherever tools/test.sh and
// tests/linux/stacks.sh name one. The build tree's program and the Windows
// zip are played twice: on the keyboard, and on an Xbox-layout pad plugged in while the title screen
// shows (before the start under Wine), its d-pad moving the cursor across and
// its stick up and down.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdint>
#include <memory>
#include <numeric>
#include <regex>
#include <string>
#include <vector>

#include "game/sprites.h"
#include "game/game_title.h"
#include "tests/e2e/pad_testbed.h"
#include "tests/e2e/program_run.h"
#include "tests/stock_panel.h"

using namespace e2e;

namespace
{

constexpr int WholeStock = 36;
constexpr const char* TileKeys[TileKinds] = {"z", "x", "c", "v", "b", "n", "m"};
constexpr int FullScale = 32768;

// The planting screen the program should show for the tiles, stock and
// cursor of `planting`, as the planting mode draws them (how it draws a
// board and a panel is the unit tests' business; here it is what the player
// put there and what the window shows).
Cells DrawnPlanting(GameTitle& planting)
{
    ClearScreenBuffer();
    planting.draw();
    return CaptureScreenBuffer();
}

// Whether the gardener is drawn on the board somewhere other than the cell it
// arrives on: a centre at which every visible pixel of its sprite, upright or
// mirrored, shows its colour.
bool GardenerMoved(const Cells& shown)
{
    for (int mode : {OrientUpright, OrientMirrored})
    {
        std::fill(ScreenBuffer, ScreenBuffer + ScreenPixels, int8_t{-100});
        drawSprite(SpriteGardener, 64, 48, mode, false);
        const Cells sprite(ScreenBuffer, ScreenBuffer + ScreenPixels);
        const Cells colours = CaptureScreenBuffer();
        for (int centre = 0; centre < 96 * ScreenHeight; centre++)
        {
            bool all = true;
            for (int i = 0; i < ScreenPixels && all; i++)
            {
                const int x = centre / ScreenHeight + i / ScreenHeight - 64;
                const int y = centre % ScreenHeight + i % ScreenHeight - 48;
                all = sprite[i] == -100 || (OnScreen(x, y) && shown[PixelOffset(x, y)] == colours[i]);
            }
            if (all)
            {
                return centre != 6 * ScreenHeight + 90;
            }
        }
    }
    ADD_FAILURE() << "no gardener on the board";
    return false;
}

struct Cell
{
    int32_t x, y;
    bool operator==(Cell other) const { return x == other.x && y == other.y; }
    bool operator!=(Cell other) const { return !(*this == other); }
};

// From the start cell (4, 4) left along row 4, then snaking through rows 3 to
// 0: 37 cells, enough for the whole stock, each visited once. Rows 5 to 7 stay
// empty for the gardener, who arrives at the top-left cell.
std::vector<Cell> PlantingPath()
{
    std::vector<Cell> path = {{4, 4}, {3, 4}, {2, 4}, {1, 4}, {0, 4}};
    for (int k = 0; k < 4 * BoardSize; k++)
    {
        const int y = 3 - k / BoardSize;  // odd rows rightwards, even rows leftwards
        path.push_back({y % 2 == 1 ? k % BoardSize : BoardSize - 1 - k % BoardSize, y});
    }
    return path;
}

// The arrow that brings the cursor nearer `to`: across first, then up or down.
const char* ArrowBetween(Cell from, Cell to)
{
    return to.x > from.x ? "Right" : to.x < from.x ? "Left" : to.y > from.y ? "Up" : "Down";
}

// The cell whose whole 12 x 12 outline shows the cursor's colour 6, if
// exactly one does.
bool FindCursor(const Cells& shown, Cell& cursor)
{
    int found = 0;
    for (int x = 0; x < BoardSize; x++)
    {
        for (int y = 0; y < BoardSize; y++)
        {
            bool outline = true;
            for (int k = 0; k < CellPixels && outline; k++)
            {
                const int left = CellPixels * x;
                const int bottom = CellPixels * y;
                outline = shown[PixelOffset(left + k, bottom)] == 6 && shown[PixelOffset(left + k, bottom + 11)] == 6 &&
                          shown[PixelOffset(left, bottom + k)] == 6 && shown[PixelOffset(left + 11, bottom + k)] == 6;
            }
            if (outline && found++ == 0)
            {
                cursor = {x, y};
            }
        }
    }
    return found == 1;
}

// The music's usual loudness: the median of the peaks of its 50 ms windows
// over frames [from, to). Drum hits and note onsets lie above it.
int MusicLevel(const std::vector<StereoSample>& samples, size_t from, size_t to)
{
    std::vector<int> peaks = {0};
    for (const Level& level : Windows(samples, from, to))
    {
        peaks.push_back(level.peak);
    }
    std::nth_element(peaks.begin(), peaks.begin() + peaks.size() / 2, peaks.end());
    return peaks[peaks.size() / 2];
}

// The player's own files in a folder; hidden ones are settings and caches,
// such as the OpenGL library's.
std::vector<std::string> Listing(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
    {
        const std::string name = entry.path().filename().string();
        if (name[0] != '.')
        {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// How the player works the game's keys, named as xdotool names them: on the
// keyboard, or on the pad (tests/data/pads/xbox) with its Xbox layout.
class Player
{
public:
    Player(Program& program, PadTestbed* pad) : program(program), pad(pad) {}

    void tap(const std::string& key) { hold(key, 80); }

    void hold(const std::string& key, int ms)
    {
        if (!pad)
        {
            program.keys("keydown " + key + " sleep " + std::to_string(ms / 1000.0) + " keyup " + key);
            return;
        }
        move(key, true);
        SleepMs(ms);
        move(key, false);
    }

private:
    void move(const std::string& key, bool pressed)
    {
        struct Control
        {
            const char* key;
            uint16_t type;
            uint16_t code;
            int32_t value;  // when pressed; at rest 0
        };
        static constexpr Control Controls[] = {
            {"z", EV_KEY, BTN_A, 1}, {"x", EV_KEY, BTN_B, 1}, {"c", EV_KEY, BTN_X, 1}, {"v", EV_KEY, BTN_Y, 1},
            {"b", EV_KEY, BTN_TL, 1}, {"n", EV_KEY, BTN_TR, 1}, {"m", EV_ABS, ABS_RZ, 255},
            {"space", EV_KEY, BTN_START, 1}, {"Escape", EV_KEY, BTN_SELECT, 1},
            {"Left", EV_ABS, ABS_HAT0X, -1}, {"Right", EV_ABS, ABS_HAT0X, 1},  // the d-pad
            {"Up", EV_ABS, ABS_Y, -32767}, {"Down", EV_ABS, ABS_Y, 32767},    // the left stick
        };
        for (const Control& control : Controls)
        {
            if (key == control.key)
            {
                EXPECT_TRUE(pad->send(control.type, control.code, pressed ? control.value : 0)) << key;
                return;
            }
        }
        ADD_FAILURE() << "no pad control for " << key;
    }

    Program& program;
    PadTestbed* pad;
};

// The whole game on `program`, which shows the title picture in `data`,
// played on the keyboard or on `pad`.
void PlayWholeGame(Program& program, const fs::path& data,
                 std::vector<std::pair<std::string, std::string>> environment = {}, PadTestbed* pad = nullptr)
{
    Player player(program, pad);
    // Wine's device bus is not told of a pad the testbed adds later.
    if (pad && UnderWine)
    {
        ASSERT_TRUE(pad->plugIn(MIRELANTHA_SOURCE_DIR "/tests/data/pads/xbox")) << pad->problem;
    }
    if (pad)
    {
        const auto more = pad->environment();
        environment.insert(environment.end(), more.begin(), more.end());
    }
    ASSERT_GT(fs::file_size(data / "lh0.txt"), 4096u) << "no title picture in " << data;
    const std::vector<std::string> before = Listing(program.folder);
    const fs::path audioFile = program.scratch.path / "audio.raw";
    environment.insert(environment.end(), {{"SDL_AUDIODRIVER", "disk"},
                                           {"SDL_DISKAUDIOFILE", audioFile.string()},
                                           {"SDL_DISKAUDIODELAY", "46"}});  // ms per 2048-frame buffer: real time
    program.start(environment);
    ASSERT_TRUE(program.windowShown()) << ReadAll(program.errorFile);
    ASSERT_TRUE(WaitFor([&] { return AudioFrames(audioFile) > 0; }, 5000)) << "no sound is being written";
    // The first frames, and title music: its first notes may fall a few
    // beats (0.43 s each) after the start.
    SleepMs(1000);
    EXPECT_TRUE(WaitFor([&] { return MusicHeard(audioFile); }, 6000)) << "no title music";

    // 1. The title screen, in a screenshot and in the window itself: the quad
    // maps the picture the right way up and round, corner to corner. Under
    // Windows, Alt alone (as before an Alt+Tab) is the system's: no game starts.
    if (UnderWine)
    {
        program.keys(Tap("alt") + " sleep 0.3");
    }
    Picture picture;
    std::string first;
    ASSERT_TRUE(program.screenshot(picture)) << "title screenshot";
    EXPECT_EQ(TitleDifferences(picture, data, first), 0) << "title screen: " << first;
    Picture window;
    ASSERT_TRUE(ReadXvfbScreen(window) && window.width == Width && window.height == Height);
    EXPECT_EQ(TitleDifferences(window, data, first), 0) << "title screen in the window: " << first;
    // The window as the desktop sees it: the title picture as its icon (under
    // Wine scaled from the icon file's own pictures), and natively the menu
    // entry's window class, by which docks match the two.
    EXPECT_GE(WindowIconLikeness(program.display), UnderWine ? 0.9 : 1.0) << "not the title picture's icon";
    std::smatch entryClass;
    const std::string entry = ReadAll(MIRELANTHA_SOURCE_DIR "/platform/linux/org.mirelantha.mirelantha.desktop");
    ASSERT_TRUE(std::regex_search(entry, entryClass, std::regex("\nStartupWMClass=([^\n]*)"))) << "no class";
    EXPECT_TRUE(UnderWine || OutputOnDisplay(program.display, "xprop -id \"$(xdotool search --name '^mirelantha$' | "
                                                              "head -n 1)\" WM_CLASS")
                                     .find("\"" + entryClass[1].str() + "\"\n") != std::string::npos);
    // Under an emulator the game runs several times slower than real time:
    // the title, its music and a screenshot are as far as the test follows it.
    if (!Emulator.empty())
    {
        program.keys("key Escape");
        EXPECT_EQ(WaitForExit(std::exchange(program.pid, 0), 30000), 0) << "Escape did not end the program";
        return;
    }

    // 2. A new game, started with a tile key that places nothing; the stock
    // is read off the side panel.
    const size_t gameStart = AudioFrames(audioFile);
    // A pad plugged in on the title screen is found within two seconds.
    if (pad && !UnderWine)
    {
        ASSERT_TRUE(pad->plugIn(MIRELANTHA_SOURCE_DIR "/tests/data/pads/xbox")) << pad->problem;
        SleepMs(2000);
    }
    player.tap("z");
    SleepMs(1800);  // game music alone, before any tile is placed
    ASSERT_TRUE(program.screenshot(picture)) << "first planting screenshot";
    GameTitle planting;  // what the player has put where, as the window shows it
    Cells shown = ReadCells(picture);
    for (int row = 0; row < TileKinds; row++)
    {
        planting.tileStock[row] = ReadStock(shown, row);
        ASSERT_GE(planting.tileStock[row], 0) << "the stock count of panel row " << row << " is unreadable";
    }
    EXPECT_EQ(std::accumulate(std::begin(planting.tileStock), std::end(planting.tileStock), 0), WholeStock);
    EXPECT_GE(planting.tileStock[1], 4) << "at least four X tiles";
    EXPECT_EQ(CountDifferences(shown, DrawnPlanting(planting), first), 0)
        << "empty board with the cursor at (4, 4) and the stock panel: " << first;

    // 3. Every tile planted, each on an empty cell of the walk, codes in order.
    // A busy machine may lose a tap (pressed and let go before any tick sees
    // it) or stretch one past the 7 ticks after which a held arrow moves the
    // cursor again, so the cursor is steered by where the window shows it, and
    // a tile counts as planted once the window shows it on the board and off
    // the stock.
    const std::vector<Cell> path = PlantingPath();
    std::vector<size_t> placedAt;  // audio frame written just before each placing key
    for (int n = 0; n < WholeStock; n++)
    {
        const Cell target = path[n];
        for (int taps = 0;; taps++)
        {
            Cell at{};
            ASSERT_TRUE(FindCursor(ShownNow(), at)) << "no cursor on the board before tile " << n + 1;
            if (at == target)
            {
                SleepMs(100);  // still there a moment later: no move of a held arrow was due
                if (FindCursor(ShownNow(), at) && at == target)
                {
                    break;
                }
                continue;
            }
            ASSERT_LT(taps, 30) << "the cursor does not reach (" << target.x << ", " << target.y << ")";
            player.tap(ArrowBetween(at, target));
            WaitFor([&] { Cell now{}; return FindCursor(ShownNow(), now) && now != at; }, 1500);
        }
        planting.cursorX = target.x;
        planting.cursorY = target.y;

        const auto row = std::find_if(planting.tileStock, planting.tileStock + TileKinds, [](int s) { return s > 0; }) -
                         planting.tileStock;
        planting.tiles[CellIndex(target.x, target.y)] = static_cast<int32_t>(row + 1);
        planting.tileStock[row]--;
        const Cells expected = DrawnPlanting(planting);
        // A key seen pressed twice picks the tile up again: it is then pressed anew.
        // The last look is judged, not a new one the window may be redrawn under.
        Cells seen;
        size_t frame = 0;
        for (int attempt = 0; attempt < 3 && seen != expected; attempt++)
        {
            frame = AudioFrames(audioFile);
            player.tap(TileKeys[row]);
            WaitFor([&] { return (seen = ShownNow()) == expected; }, 3000);
        }
        ASSERT_EQ(CountDifferences(seen, expected, first), 0)
            << "tile " << n + 1 << " is not shown placed at (" << target.x << ", " << target.y << "): " << first;
        placedAt.push_back(frame);

        if (n == WholeStock / 2 - 1 || n == WholeStock - 1)
        {
            ASSERT_TRUE(program.screenshot(picture)) << "planting screenshot after " << n + 1 << " tiles";
            shown = ReadCells(picture);
            EXPECT_EQ(CountDifferences(shown, DrawnPlanting(planting), first), 0)
                << "board, cursor, stock and, once it is empty, the prompt after " << n + 1 << " tiles: " << first;
        }
    }

    // 4. The garden opened and the gardener walked right along the top row,
    // then down.
    player.tap("space");
    SleepMs(200);
    player.hold("Right", 1600);
    SleepMs(50);
    player.hold("Down", 700);
    SleepMs(100);
    ASSERT_TRUE(program.screenshot(picture)) << "garden screenshot";
    shown = ReadCells(picture);
    Cells plainPanel = shown;  // the board as it is, beside the separator and a plain panel
    std::fill(plainPanel.begin() + PixelOffset(96, 0), plainPanel.end(), int8_t{1});
    std::fill_n(plainPanel.begin() + PixelOffset(96, 0), ScreenHeight, int8_t{3});
    EXPECT_EQ(CountDifferences(shown, plainPanel, first), 0) << "separator and plain side panel: " << first;
    EXPECT_TRUE(GardenerMoved(shown)) << "the gardener is still on the cell it arrived on";

    // 5. Back to the title, and out.
    player.tap("Escape");
    SleepMs(300);
    ASSERT_TRUE(program.screenshot(picture)) << "title screenshot after the game";
    EXPECT_EQ(TitleDifferences(picture, data, first), 0) << "title screen after the game: " << first;
    // Out with Escape, or on the Windows keyboard with Alt+F4, as any program there.
    if (UnderWine && !pad)
    {
        program.keys("keydown alt sleep 0.05 keydown F4 sleep 0.05 keyup F4 keyup alt");
    }
    else
    {
        player.tap("Escape");
    }
    const auto pressed = std::chrono::steady_clock::now();
    const double secondsRun = std::chrono::duration<double>(pressed - program.started).count();
    EXPECT_EQ(program.finish(), 0) << ReadAll(program.errorFile);
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(2)) << "a slow end";
    std::vector<std::string> written = before;
    written.insert(written.end(), program.taken.begin(), program.taken.end());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(Listing(program.folder), written) << "one picture per press, and nothing else";

    // 6. What was heard. The disk driver writes in real time, so the frame
    // counts noted above tell where each stretch lies in the recording.
    const std::vector<StereoSample> samples = DecodeFrames(ReadAll(audioFile));
    EXPECT_GT(samples.size(), Frames(0.6 * secondsRun)) << "the audio device stalled";
    EXPECT_GT(Measure(samples, 0, gameStart).rms, 50.0) << "the title screen is silent";

    // The "start" sample of a new game is over after half a second; the game
    // music then plays alone until the first tile. Each placing key must be
    // followed, before the next key, by a sound well above that music (it
    // lands on the next quarter-beat grid line, 50 to 200 ms after the key).
    const int musicLevel = MusicLevel(samples, gameStart + Frames(0.6), placedAt.front());
    EXPECT_GT(Measure(samples, gameStart + Frames(0.6), placedAt.front()).rms, 50.0) << "the game music is silent";
    const int loud = std::max(musicLevel * 3 / 2, FullScale / 32);
    int heard = 0;
    std::string peaks;
    for (size_t i = 0; i < placedAt.size(); i++)
    {
        int peak = Measure(samples, placedAt[i], i + 1 < placedAt.size() ? placedAt[i + 1] : placedAt[i] + Frames(0.4)).peak;
        heard += peak > loud ? 1 : 0;
        peaks += std::to_string(peak) + " ";
    }
    EXPECT_GE(heard, WholeStock * 9 / 10) << "placing tiles is not heard above music of usual peak " << musicLevel
                                          << "; peaks after each placement: " << peaks;

    EXPECT_LT(Measure(samples, 0, samples.size()).peak, FullScale * 9 / 10);
    EXPECT_LE(CountLeaps(samples, 30000), 4) << "frames leaping by more than 30000";
}

using PlayThrough = ::testing::TestWithParam<bool>;
}  // namespace

INSTANTIATE_TEST_SUITE_P(, PlayThrough, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Pad" : "Keyboard"; });

TEST_P(PlayThrough, PlantsTheWholeStockWalksTheGardenAndQuitsWithSoundAllTheWay)
{
    Program program;
    std::unique_ptr<PadTestbed> pad(GetParam() ? new PadTestbed : nullptr);
    // The unzipped Windows game is started in its own folder as a double-click
    // starts it (unpacked where tools/test.sh names it in several scripts),
    // and on the pad from another folder.
    if (UnderWine && !pad)
    {
        program.folder = fs::path(ProgramPath).parent_path();
    }
    PlayWholeGame(program, ProgramData(), {}, pad.get());
}

// Each install must find the data it ships: it is started from a folder of
// its own without a data folder.
TEST(Installed, TheUnpackedPackagePlaysFromAnEmptyFolder)
{
    const fs::path root = std::getenv("MIRELANTHA_PACKAGE_ROOT") ? std::getenv("MIRELANTHA_PACKAGE_ROOT") : "";
    if (root.empty())
    {
        GTEST_SKIP() << "no unpacked package: MIRELANTHA_PACKAGE_ROOT is not set";
    }
    Program program(false);
    program.path = (root / "usr/games/mirelantha").string();
    PlayWholeGame(program, root / "usr/share/games/mirelantha");
}

// tests/linux/stacks.sh makes the system, installs the package, adds the
// user "player" and names its root in MIRELANTHA_ROOT; the root sees this
// machine's /tmp, where the X server's socket and the scratch folders are.
TEST(Installed, ThePackageInAMinimalSystemPlaysForAnOrdinaryUserFromTheirHome)
{
    const fs::path root = std::getenv("MIRELANTHA_ROOT") ? std::getenv("MIRELANTHA_ROOT") : "";
    if (root.empty())
    {
        GTEST_SKIP() << "no minimal system: MIRELANTHA_ROOT is not set";
    }
    Program program(false);
    program.folder = root / "home/player";
    fs::permissions(program.scratch.path, fs::perms::all);  // the player writes the sound there
    program.path = "/usr/sbin/chroot";
    program.arguments = {"--userspec=player:player", root.string(), "/bin/sh", "-c",
                         "cd && exec /usr/games/mirelantha"};
    PlayWholeGame(program, root / "usr/share/games/mirelantha",
                {{"HOME", "/home/player"}, {"USER", "player"}, {"LOGNAME", "player"}});
}
