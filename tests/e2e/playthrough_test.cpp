// A whole game played through the real program under a private X server: the
// title screen in a screenshot and in the window itself, the stock read off the
// side panel, every tile of it planted with the keyboard, the garden opened and
// walked, the way back and out, and the sound of the whole run as SDL's disk
// audio driver wrote it.
//
// One test, because every step builds on the one before (the walk depends on
// the stock the panel shows) and a run takes about twenty seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "game/sprites.h"
#include "game/game_title.h"
#include "tests/e2e/program_run.h"
#include "tests/stock_panel.h"

using namespace e2e;

namespace
{

constexpr int WholeStock = 36;
constexpr const char* TileKeys[TileKinds] = {"z", "x", "c", "v", "b", "n", "m"};
constexpr int FullScale = 32768;

// Text baseline of panel row `row` (tile code row + 1): code 1 at the top.
constexpr int PanelBaseline(int row)
{
    return 85 - 13 * row;
}

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

}  // namespace

TEST(PlayThrough, PlantsTheWholeStockWalksTheGardenAndQuitsWithSoundAllTheWay)
{
    Program program;
    const fs::path audioFile = program.scratch.path / "audio.raw";
    program.start({{"SDL_AUDIODRIVER", "disk"},
                   {"SDL_DISKAUDIOFILE", audioFile.string()},
                   {"SDL_DISKAUDIODELAY", "46"}});  // ms per 2048-frame buffer: real time
    ASSERT_TRUE(program.windowShown());
    ASSERT_TRUE(WaitFor([&] { return AudioFrames(audioFile) > 0; }, 5000)) << "no sound is being written";
    // The first frames, and title music: its first notes may fall a few
    // beats (0.43 s each) after the start.
    SleepMs(1000);
    EXPECT_TRUE(WaitFor([&] { return MusicHeard(audioFile); }, 6000)) << "no title music";

    // 1. The title screen, in a screenshot and in the window itself: the quad
    // maps the picture the right way up and round, corner to corner.
    Picture picture;
    std::string first;
    ASSERT_TRUE(program.screenshot(picture)) << "title screenshot";
    EXPECT_EQ(TitleDifferences(picture, ProgramData(), first), 0) << "title screen: " << first;
    Picture window;
    ASSERT_TRUE(ReadXvfbScreen(window) && window.width == Width && window.height == Height);
    EXPECT_EQ(TitleDifferences(window, ProgramData(), first), 0) << "title screen in the window: " << first;

    // 2. A new game, started with a tile key that places nothing; the stock
    // is read off the side panel.
    const size_t gameStart = AudioFrames(audioFile);
    program.keys(Tap("z"));
    SleepMs(1800);  // game music alone, before any tile is placed
    ASSERT_TRUE(program.screenshot(picture)) << "first planting screenshot";
    GameTitle planting;  // what the player has put where, as the window shows it
    Cells shown = ReadCells(picture);
    for (int row = 0; row < TileKinds; row++)
    {
        const auto readings = ReadPanelRow(shown, PanelBaseline(row), 2, StockTexts());
        ASSERT_EQ(readings.size(), 1u) << "the stock count of panel row " << row << " is unreadable";
        planting.tileStock[row] = std::stoi(readings[0].first);
    }
    EXPECT_EQ(std::accumulate(std::begin(planting.tileStock), std::end(planting.tileStock), 0), WholeStock);
    EXPECT_GE(planting.tileStock[1], 4) << "at least four X tiles";
    EXPECT_EQ(CountDifferences(shown, DrawnPlanting(planting), WholeScreen, first), 0)
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
            program.keys(Tap(ArrowBetween(at, target)));
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
        bool placedShown = false;
        size_t frame = 0;
        for (int attempt = 0; attempt < 3 && !placedShown; attempt++)
        {
            frame = AudioFrames(audioFile);
            program.keys(Tap(TileKeys[row]));
            placedShown = WaitFor([&] { return ShownNow() == expected; }, 3000);
        }
        ASSERT_EQ(CountDifferences(ShownNow(), expected, WholeScreen, first), 0)
            << "tile " << n + 1 << " is not shown placed at (" << target.x << ", " << target.y << "): " << first;
        placedAt.push_back(frame);

        if (n == WholeStock / 2 - 1 || n == WholeStock - 1)
        {
            ASSERT_TRUE(program.screenshot(picture)) << "planting screenshot after " << n + 1 << " tiles";
            shown = ReadCells(picture);
            EXPECT_EQ(CountDifferences(shown, DrawnPlanting(planting), WholeScreen, first), 0)
                << "board, cursor, stock and, once it is empty, the prompt after " << n + 1 << " tiles: " << first;
        }
    }

    // 4. The garden opened and the gardener walked right along the top row,
    // then down.
    program.keys(Tap("space") + " sleep 0.2 keydown Right sleep 1.6 keyup Right sleep 0.05 keydown Down sleep 0.7 "
                 "keyup Down sleep 0.1");
    ASSERT_TRUE(program.screenshot(picture)) << "garden screenshot";
    shown = ReadCells(picture);
    Cells plainPanel(ScreenPixels, 1);
    std::fill_n(plainPanel.begin() + PixelOffset(96, 0), ScreenHeight, int8_t{3});
    EXPECT_EQ(CountDifferences(shown, plainPanel, {96, 0, ScreenWidth - 1, ScreenHeight - 1}, first), 0)
        << "separator and plain side panel: " << first;
    EXPECT_TRUE(GardenerMoved(shown)) << "the gardener is still on the cell it arrived on";

    // 5. Back to the title, and out.
    program.keys(Tap("Escape") + " sleep 0.3");
    ASSERT_TRUE(program.screenshot(picture)) << "title screenshot after the game";
    EXPECT_EQ(TitleDifferences(picture, ProgramData(), first), 0) << "title screen after the game: " << first;
    program.keys(Tap("Escape"));
    const double secondsRun = std::chrono::duration<double>(std::chrono::steady_clock::now() - program.started).count();
    EXPECT_EQ(program.finish(), 0) << ReadAll(program.errorFile);

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
