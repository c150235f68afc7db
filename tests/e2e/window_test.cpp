// How the desktop sees the running game's window: docks and task switchers
// match it to the menu entry by its window class, and show the icon it
// carries, which must be the title picture as the icon renderer draws it; on
// Windows, the icon Wine hands on from the program's resources.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

TEST(Window, NamesTheMenuEntrysClassAndCarriesTheTitlePictureAsItsIcon)
{
    Program program;
    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(program.windowShown());
    SleepMs(500);

    ReadTitlePictureFile(ProgramData().string());
    double best = 0.0;
    std::string sizes;
    for (const auto& [size, likeness] : WindowIconLikeness(program.display))
    {
        sizes += std::to_string(size) + " ";
        best = std::max(best, likeness);
    }
    // Wine scales the icon file's own pictures for the window system.
    EXPECT_GE(best, UnderWine ? 0.9 : 1.0) << "no icon of the title picture among sizes: " << sizes;

    if (!UnderWine)
    {
        const std::string entry =
            ReadAll(fs::path(MIRELANTHA_SOURCE_DIR) / "platform/linux/org.mirelantha.mirelantha.desktop");
        std::smatch match;
        ASSERT_TRUE(std::regex_search(entry, match, std::regex("\nStartupWMClass=([^\n]*)")))
            << "the menu entry names no window class, so it is matched by its file name";
        // WM_CLASS = "instance", "class"
        const std::string wmClass = OutputOnDisplay(
            program.display, "xprop -id \"$(xdotool search --name '^mirelantha$' | head -n 1)\" WM_CLASS");
        EXPECT_NE(wmClass.find("\"" + std::string(match[1]) + "\"\n"), std::string::npos) << wmClass;
    }
    program.keys(Tap("Escape"));
    EXPECT_EQ(program.finish(), 0);
}
