// Key presses shorter than one pass of the main loop, pressed and released
// between two looks at the event queue: each must count once, on the title
// screen (where key repeat is on) and in a game. And keyboards of other
// layouts, by the places of their keys.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/program_run.h"
#include "tests/stock_panel.h"

using namespace e2e;

TEST(ShortPresses, EachTakesOneScreenshotOnTheTitleAndInAGameAndEscapeStillEnds)
{
    Program program;
    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(program.windowShown());
    SleepMs(300);

    // Three quick presses, each given time for any repeat to show: a key
    // repeated after its release would go on taking pictures every 30 ms.
    for (int press = 1; press <= 3; press++)
    {
        program.keys(QuickPress("Print") + " sleep 0.7");
        ASSERT_TRUE(WaitFor([&] { return program.screenshots() >= press; }, 3000)) << "press " << press;
        EXPECT_EQ(program.screenshots(), press) << "on the title screen after quick press " << press;
    }

    program.keys(QuickPress("z") + " sleep 0.3 " + QuickPress("Print") + " sleep 0.7");
    ASSERT_TRUE(WaitFor([&] { return program.screenshots() >= 4; }, 3000));
    EXPECT_EQ(program.screenshots(), 4) << "in a game";
    Picture game;
    ASSERT_TRUE(LoadPng(program.scratch.path / "screen3.png", game));
    EXPECT_EQ(ReadCells(game)[PixelOffset(96, 40)], 3) << "the quick z did not start a game";

    program.keys(QuickPress("Escape") + " sleep 0.3 " + QuickPress("Escape"));
    EXPECT_EQ(program.finish(), 0);
}

// Keyboards of other layouts, on the test's X server with real key presses by
// key code: on French AZERTY and German QWERTZ the key at Z's place (typing W,
// or Y) and the key labelled Z both work the Z tile, and the key at M's place
// (typing a comma on AZERTY) and the key labelled M the M tile. Each pair is
// pressed on one cell: the first places the tile, the second picks it up.
TEST(KeyboardLayouts, KeysAtTheBottomRowsPlacesAndKeysLabelledWithItsLettersWorkTheirTiles)
{
    struct Layout
    {
        const char* name;
        std::vector<std::pair<const char*, int>> keys;  // X11 key code, panel row of its tile
    };
    const Layout Layouts[] = {
        {"fr", {{"52", 0}, {"25", 0}, {"58", 6}, {"47", 6}}},  // w and z; comma and m
        {"de", {{"52", 0}, {"29", 0}, {"58", 6}}},             // y and z; m
    };
    // The server is every test's: it gets its US layout back whatever happens.
    struct UsAgain
    {
        ~UsAgain() { RunOnDisplay(XvfbServer::display, "setxkbmap us"); }
    } usAgain;
    auto stock = [](Program& program, int row) {
        Picture picture;
        if (!program.screenshot(picture))
        {
            return -1;
        }
        const auto readings = ReadPanelRow(ReadCells(picture), 85 - 13 * row, 2, StockTexts());
        return readings.size() == 1 ? std::stoi(readings[0].first) : -1;
    };
    for (const Layout& layout : Layouts)
    {
        ASSERT_TRUE(RunOnDisplay(XvfbServer::display, std::string("setxkbmap ") + layout.name));
        Program program;
        program.start({{"SDL_AUDIODRIVER", "dummy"}});
        ASSERT_TRUE(program.windowShown());
        SleepMs(300);
        // A stock with an M tile: a game holds none about one time in three.
        program.keys(Tap("38") + " sleep 0.5");  // the key at A's place starts a game
        for (int games = 1; stock(program, 6) < 1; games++)
        {
            ASSERT_LT(games, 10) << "no game with an M tile";
            program.keys(Tap("Escape") + " sleep 0.3 " + Tap("38") + " sleep 0.5");
        }
        for (size_t k = 0; k < layout.keys.size(); k++)
        {
            const auto [key, row] = layout.keys[k];
            if (k > 0 && row != layout.keys[k - 1].second)
            {
                program.keys(Tap("Right") + " sleep 0.3");  // an empty cell
            }
            const int before = stock(program, row);
            program.keys(Tap(key) + " sleep 0.3");
            const bool places = k == 0 || row != layout.keys[k - 1].second;
            EXPECT_EQ(stock(program, row), before + (places ? -1 : 1))
                << layout.name << ": key code " << key << (places ? " places" : " picks up") << " the tile of row "
                << row;
        }
        program.keys(Tap("Escape") + " sleep 0.3 " + Tap("Escape"));
        EXPECT_EQ(program.finish(), 0);
    }
}
