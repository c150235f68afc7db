// A whole game played through the real program under a private X server: the
// title screen in a screenshot and in the window itself, the stock read off the
// side panel, every tile of it planted, the garden opened and walked, the way
// back and out, and the sound of the whole run as SDL's disk audio driver wrote
// it. Played twice: on the keyboard, and on an Xbox-layout pad plugged in while
// the title screen shows (before the start under Wine), its d-pad moving the
// cursor across and its stick up and down.
//
// One test per way of playing, because every step builds on the one before
// (the walk depends on the stock the panel shows) and a run takes about twenty
// seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "game/sprites.h"
#include "gfx/font.h"
#include "tests/e2e/pad_testbed.h"
#include "tests/e2e/program_run.h"
#include "tests/stock_panel.h"

using namespace e2e;

namespace
{

// What the player sees of the garden.
constexpr int BoardSide = 8;
constexpr int CellPixels = 12;
constexpr int TileKinds = 7;
constexpr int WholeStock = 36;
constexpr const char* TileKeys[TileKinds] = {"z", "x", "c", "v", "b", "n", "m"};
const char* const OpenPrompt = "press space to open garden";

// Text baseline of panel row i (tile code i + 1): code 1 at the top.
constexpr int PanelBaseline[TileKinds] = {85, 72, 59, 46, 33, 20, 7};

constexpr int FullScale = 32768;

//------------------------------------------------------------------------------
// The screens the program should show, drawn here without it
//------------------------------------------------------------------------------

// A panel row's "x" and stock count as the panel writes them: the count in
// decimal from column 122; one that would run past the last column moves left
// to end there, and the "x" keeps one blank column before it.
void DrawStockCount(int stock, int y)
{
    const std::string count = std::to_string(stock);
    const int countColumn = std::min(122, ScreenWidth + 1 - TextWidth(count.c_str()));
    DrawText("x", std::min(118, countColumn - TextWidth("x")), y, 1, 1);
    DrawText(count.c_str(), countColumn, y, 2, 1);
}

// The planting phase as the test drives it.
struct Planting
{
    int tiles[BoardSide * BoardSide] = {};  // cell (x, y) at x * 8 + y
    int cursorX = 4;
    int cursorY = 4;
    int stock[TileKinds] = {};              // entry k: code k + 1
};

// The whole planting screen: tiles, cursor, separator, stock panel and, once
// the stock is used up, the prompt to open the garden.
Cells DrawExpectedPlanting(const Planting& planting)
{
    ClearScreenBuffer();
    for (int cell = 0; cell < BoardSide * BoardSide; cell++)
    {
        drawSprite(planting.tiles[cell], CellPixels * (cell / 8) + 6, CellPixels * (cell % 8) + 6, OrientUpright, false);
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
    std::fill_n(ScreenBuffer + PixelOffset(96, 0), ScreenHeight, int8_t{3});  // the separator
    for (int row = 0; row < TileKinds; row++)
    {
        int y = PanelBaseline[row];
        drawSprite(row + 1, 110, y + 2, OrientUpright, true);
        DrawText(TileKeys[row], 98, y, 5, 1);
        DrawStockCount(planting.stock[row], y);
    }
    if (std::accumulate(std::begin(planting.stock), std::end(planting.stock), 0) == 0)
    {
        for (int x = 10; x <= 117; x++)
        {
            std::fill_n(ScreenBuffer + PixelOffset(x, 2), 8, int8_t{0});  // the prompt's box, y 2 to 9
        }
        DrawText(OpenPrompt, 64 - TextWidth(OpenPrompt) / 2, 4, 8, 1);
    }
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
    int x, y;
    bool operator==(Cell other) const { return x == other.x && y == other.y; }
    bool operator!=(Cell other) const { return !(*this == other); }
};

// From the start cell (4, 4) left along row 4, then snaking through rows 3 to
// 0: 37 cells, enough for the whole stock, each visited once. Rows 5 to 7 stay
// empty for the gardener, who arrives at the top-left cell.
std::vector<Cell> PlantingPath()
{
    std::vector<Cell> path = {{4, 4}, {3, 4}, {2, 4}, {1, 4}, {0, 4}};
    for (int k = 0; k < 4 * BoardSide; k++)
    {
        const int y = 3 - k / BoardSide;  // odd rows rightwards, even rows leftwards
        path.push_back({y % 2 == 1 ? k % BoardSide : BoardSide - 1 - k % BoardSide, y});
    }
    return path;
}

// The arrow that brings the cursor nearer `to`: across first, then up or down.
const char* ArrowBetween(Cell from, Cell to)
{
    return to.x > from.x ? "Right" : to.x < from.x ? "Left" : to.y > from.y ? "Up" : "Down";
}

// What the window shows now; nothing known if the screen file could not be read.
Cells ShownNow()
{
    Picture window;
    return ReadXvfbScreen(window) && window.width == Width && window.height == Height ? ReadCells(window)
                                                                                        : Cells(ScreenPixels, -1);
}

// The cell whose whole 12 x 12 outline shows the cursor's colour 6, if
// exactly one does.
bool FindCursor(const Cells& shown, Cell& cursor)
{
    int found = 0;
    for (int x = 0; x < BoardSide; x++)
    {
        for (int y = 0; y < BoardSide; y++)
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
                pad->send(control.type, control.code, pressed ? control.value : 0);
                return;
            }
        }
        ADD_FAILURE() << "no pad control for " << key;
    }

    Program& program;
    PadTestbed* pad;
};

class PlayThrough : public ::testing::TestWithParam<bool>
{
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(, PlayThrough, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Pad" : "Keyboard"; });

TEST_P(PlayThrough, PlantsTheWholeStockWalksTheGardenAndQuitsWithSoundAllTheWay)
{
    Program program;
    std::unique_ptr<PadTestbed> pad(GetParam() ? new PadTestbed : nullptr);
    Player player(program, pad.get());
    // Wine's joystick driver is not made to find pads plugged in later.
    if (pad && UnderWine)
    {
        ASSERT_TRUE(pad->plugIn("xbox"));
    }
    const fs::path audioFile = program.scratch.path / "audio.raw";
    std::vector<std::pair<std::string, std::string>> environment = {
        {"SDL_AUDIODRIVER", "disk"},
        {"SDL_DISKAUDIOFILE", audioFile.string()},
        {"SDL_DISKAUDIODELAY", "46"}};  // ms per 2048-frame buffer: real time
    if (pad)
    {
        const auto more = pad->environment();
        environment.insert(environment.end(), more.begin(), more.end());
    }
    program.start(environment);
    ASSERT_TRUE(program.windowShown());
    ASSERT_TRUE(WaitFor([&] { return AudioFrames(audioFile) > 0; }, 5000)) << "no sound is being written";
    // The first frames, and title music: its first notes may fall a few
    // beats (0.43 s each) after the start.
    SleepMs(1000);
    EXPECT_TRUE(WaitFor([&] { return MusicHeard(audioFile); }, 6000)) << "no title music";

    // 1. The title screen.
    Picture picture;
    std::string first;
    ASSERT_TRUE(program.screenshot(picture)) << "title screenshot";
    Cells blinkOn;
    Cells blinkOff;
    DrawExpectedTitle(ProgramData(), blinkOn, blinkOff);
    EXPECT_EQ(CountDifferences(ReadCells(picture), blinkOn, WholeScreen, first, &blinkOff), 0)
        << "title screen: " << first;
    // And the window itself shows the same: the quad maps the picture the
    // right way up and round, corner to corner.
    Picture window;
    ASSERT_TRUE(ReadXvfbScreen(window) && window.width == Width && window.height == Height);
    EXPECT_EQ(CountDifferences(ReadCells(window), blinkOn, WholeScreen, first, &blinkOff), 0)
        << "title screen in the window: " << first;

    // 2. A new game, started with a tile key that places nothing; the stock
    // is read off the side panel.
    // A pad plugged in on the title screen is found within two seconds.
    if (pad && !UnderWine)
    {
        ASSERT_TRUE(pad->plugIn("xbox"));
        SleepMs(2000);
    }
    const size_t gameStart = AudioFrames(audioFile);
    player.tap("z");
    SleepMs(1800);  // game music alone, before any tile is placed
    ASSERT_TRUE(program.screenshot(picture)) << "first planting screenshot";
    Planting planting;
    Cells shown = ReadCells(picture);
    for (int row = 0; row < TileKinds; row++)
    {
        const auto readings = ReadPanelRow(shown, PanelBaseline[row], 2, StockTexts());
        ASSERT_EQ(readings.size(), 1u) << "the stock count of panel row " << row << " is unreadable";
        planting.stock[row] = std::stoi(readings[0].first);
    }
    EXPECT_EQ(std::accumulate(std::begin(planting.stock), std::end(planting.stock), 0), WholeStock);
    EXPECT_GE(planting.stock[1], 4) << "at least four X tiles";
    EXPECT_EQ(CountDifferences(shown, DrawExpectedPlanting(planting), WholeScreen, first), 0)
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

        const int row = static_cast<int>(
            std::find_if(planting.stock, planting.stock + TileKinds, [](int s) { return s > 0; }) - planting.stock);
        Planting placed = planting;
        placed.tiles[target.x * BoardSide + target.y] = row + 1;
        placed.stock[row]--;
        const Cells expected = DrawExpectedPlanting(placed);
        // A key seen pressed twice picks the tile up again: it is then pressed anew.
        bool placedShown = false;
        size_t frame = 0;
        for (int attempt = 0; attempt < 3 && !placedShown; attempt++)
        {
            frame = AudioFrames(audioFile);
            player.tap(TileKeys[row]);
            placedShown = WaitFor([&] { return ShownNow() == expected; }, 3000);
        }
        ASSERT_EQ(CountDifferences(ShownNow(), expected, WholeScreen, first), 0)
            << "tile " << n + 1 << " is not shown placed at (" << target.x << ", " << target.y << "): " << first;
        placedAt.push_back(frame);
        planting = placed;

        if (n == WholeStock / 2 - 1 || n == WholeStock - 1)
        {
            ASSERT_TRUE(program.screenshot(picture)) << "planting screenshot after " << n + 1 << " tiles";
            shown = ReadCells(picture);
            EXPECT_EQ(CountDifferences(shown, DrawExpectedPlanting(planting), WholeScreen, first), 0)
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
    Cells plainPanel(ScreenPixels, 1);
    std::fill_n(plainPanel.begin() + PixelOffset(96, 0), ScreenHeight, int8_t{3});
    EXPECT_EQ(CountDifferences(shown, plainPanel, {96, 0, ScreenWidth - 1, ScreenHeight - 1}, first), 0)
        << "separator and plain side panel: " << first;
    EXPECT_TRUE(GardenerMoved(shown)) << "the gardener is still on the cell it arrived on";

    // 5. Back to the title, and out.
    player.tap("Escape");
    SleepMs(300);
    ASSERT_TRUE(program.screenshot(picture)) << "title screenshot after the game";
    EXPECT_EQ(CountDifferences(ReadCells(picture), blinkOn, WholeScreen, first, &blinkOff), 0)
        << "title screen after the game: " << first;
    player.tap("Escape");
    const double secondsRun = std::chrono::duration<double>(std::chrono::steady_clock::now() - program.started).count();
    EXPECT_EQ(program.finish(), 0) << ReadAll(program.scratch.path / "stderr.txt");

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
