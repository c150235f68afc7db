// Keys as a player presses them in the real program: presses shorter than one
// pass of its main loop, pressed and released between two looks at the event
// queue, count once on the title screen (where key repeat is on) and in a
// game; a held screenshot key is one picture and F12 takes them as Print
// Screen does; leaving right after a burst of them closes the window at once
// and still writes every one. The game runs without its data folder, and
// shows its screens all the same.
// And keyboards of other layouts, by the places of their keys.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/program_run.h"
#include "tests/stock_panel.h"

using namespace e2e;

TEST(Keys, QuickHeldAndBurstPressesTakeOnePictureEachAndLeavingLosesNone)
{
    Program program(false);
    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(program.windowShown());
    SleepMs(300);
    auto expectShots = [&](int count, const char* when) {
        EXPECT_TRUE(WaitFor([&] { return program.screenshots() >= count; }, 3000)) << when;
        SleepMs(300);
        EXPECT_EQ(program.screenshots(), count) << when;
    };

    // Three quick presses, each given time for any repeat to show: a key
    // repeated after its release would go on taking pictures every 30 ms.
    for (int press = 1; press <= 3; press++)
    {
        program.keys(QuickPress("Print") + " sleep 0.4");
        expectShots(press, "quick presses on the title screen");
    }
    // Held for a second and a half each (some 30 repeats): one picture each.
    program.keys("keydown Print sleep 1.5 keyup Print sleep 0.2 keydown F12 sleep 1.5 keyup F12");
    expectShots(5, "Print Screen and F12 held");

    program.keys(QuickPress("z") + " sleep 0.3 " + QuickPress("Print") + " sleep 0.4");
    expectShots(6, "a quick press in a game");
    Picture title;
    Picture game;
    ASSERT_TRUE(LoadPng(program.shot(0), title) && LoadPng(program.shot(5), game));
    EXPECT_EQ(ReadCells(title)[PixelOffset(64, 50)], 0) << "a title picture without its data";
    EXPECT_EQ(ReadCells(game)[PixelOffset(96, 40)], 3) << "the quick z did not start a game";

    // Back to the title, a burst of presses, then Escape: the window goes
    // before the writer is through with them (it needs a good part of a
    // second for the lot).
    constexpr int Burst = 30;
    std::string actions = QuickPress("Escape") + " sleep 0.3 ";
    for (int i = 0; i < Burst; i++)
    {
        actions += "key F12 ";
    }
    program.keys(actions + "key Escape");
    ASSERT_TRUE(WaitFor([&] { return !RunOnDisplay(program.display, "xdotool search --name '^mirelantha$'"); }, 10000))
        << "the window stayed";
    EXPECT_LT(program.screenshots(), 6 + Burst) << "the window waited for the screenshots";
    EXPECT_EQ(program.finish(), 0) << ReadAll(program.errorFile);
    EXPECT_EQ(program.screenshots(), 6 + Burst) << ReadAll(program.errorFile);
    Picture last;
    EXPECT_TRUE(LoadPng(program.shot(5 + Burst), last) && last.width == Width && last.height == Height);
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
    // Read off the window itself, which a press of Print Screen would keep busy.
    auto stock = [](int row) { return ReadStock(ShownNow(), row); };
    auto inGame = [] { return ShownNow()[PixelOffset(96, 40)] == 3; };  // the separator column
    for (const Layout& layout : Layouts)
    {
        ASSERT_TRUE(RunOnDisplay(XvfbServer::display, std::string("setxkbmap ") + layout.name));
        Program program;
        program.start({{"SDL_AUDIODRIVER", "dummy"}});
        ASSERT_TRUE(program.windowShown());
        SleepMs(300);
        // A stock with an M tile: a game holds none about one time in three.
        // Each key is pressed only once the window shows the last one's
        // work, however slowly a busy machine lets the game draw it.
        for (int games = 0; stock(6) < 1; games++)
        {
            ASSERT_LT(games, 10) << "no game with an M tile";
            if (inGame())
            {
                program.keys(Tap("Escape"));
                ASSERT_TRUE(WaitFor([&] { return !inGame(); }, 5000)) << "Escape did not end the game";
            }
            program.keys(Tap("38"));  // the key at A's place starts a game
            ASSERT_TRUE(WaitFor(inGame, 5000)) << "no game started";
        }
        for (size_t k = 0; k < layout.keys.size(); k++)
        {
            const auto [key, row] = layout.keys[k];
            if (k > 0 && row != layout.keys[k - 1].second)
            {
                program.keys(Tap("Right") + " sleep 0.3");  // an empty cell
            }
            const int before = stock(row);
            program.keys(Tap(key));
            const bool places = k == 0 || row != layout.keys[k - 1].second;
            EXPECT_TRUE(WaitFor([&] { return stock(row) == before + (places ? -1 : 1); }, 3000))
                << layout.name << ": key code " << key << (places ? " places" : " picks up") << " the tile of row "
                << row;
        }
        program.keys(Tap("Escape") + " sleep 0.3 " + Tap("Escape"));
        EXPECT_EQ(program.finish(), 0);
    }
}
