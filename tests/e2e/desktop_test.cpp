// How the desktop sees the running game: docks and task switchers match its
// window to the menu entry by window class and show the icon the window
// carries, which must be the entry's icon, the title picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "gfx/icon.h"
#include "tests/e2e/program_run.h"

using namespace e2e;

namespace
{
// The pictures of a _NET_WM_ICON property as xprop prints it, 32-bit values
// in decimal: width, height, then ARGB pixels, picture after picture. Each as
// RGBA rows top first, keyed by its size.
std::vector<std::pair<int, std::vector<uint8_t>>> ReadIcons(const std::string& xprop)
{
    std::vector<std::pair<int, std::vector<uint8_t>>> icons;
    if (xprop.find('=') == std::string::npos)
    {
        return icons;  // no such property
    }
    std::istringstream in(xprop.substr(xprop.find('=') + 1));
    std::vector<uint32_t> values;
    for (std::string value; std::getline(in, value, ',');)
    {
        values.push_back(static_cast<uint32_t>(std::stoul(value)));
    }
    for (size_t at = 0; at + 2 <= values.size();)
    {
        const size_t width = values[at];
        const size_t pixels = width * values[at + 1];
        if (width != values[at + 1] || at + 2 + pixels > values.size())
        {
            break;
        }
        std::vector<uint8_t> rgba;
        for (size_t i = 0; i < pixels; i++)
        {
            const uint32_t argb = values[at + 2 + i];
            rgba.insert(rgba.end(), {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24)});
        }
        icons.emplace_back(static_cast<int>(width), rgba);
        at += 2 + pixels;
    }
    return icons;
}
}  // namespace

TEST(Desktop, TheWindowNamesTheMenuEntrysClassAndCarriesTheTitlePictureAsItsIcon)
{
    const std::string entry = ReadAll(fs::path(MIRELANTHA_SOURCE_DIR) / "platform/linux/org.mirelantha.mirelantha.desktop");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(entry, match, std::regex("\nStartupWMClass=([^\n]*)")))
        << "the menu entry names no window class, so it is matched by its file name";
    const std::string entryClass = match[1];

    Program program;
    program.start({{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(program.windowShown());
    SleepMs(500);
    std::istringstream windows(OutputOnDisplay(program.display, "xdotool search --name '^mirelantha$'"));
    std::string window;
    ASSERT_TRUE(std::getline(windows, window)) << "no named window";

    // WM_CLASS = "instance", "class"
    const std::string wmClass = OutputOnDisplay(program.display, "xprop -id " + window + " WM_CLASS");
    EXPECT_NE(wmClass.find("\"" + entryClass + "\"\n"), std::string::npos) << wmClass;

    ReadTitlePictureFile((program.scratch.path / "dat").string());
    const auto icons = ReadIcons(OutputOnDisplay(program.display, "xprop -notype -id " + window + " 32c _NET_WM_ICON"));
    std::string sizes;
    bool found = false;
    for (const auto& [size, rgba] : icons)
    {
        sizes += std::to_string(size) + " ";
        found = found || (size == 64 && rgba == RenderIcon(64));
    }
    EXPECT_TRUE(found) << "no 64 x 64 icon of the title picture among sizes: " << sizes;

    program.keys(Tap("Escape"));
    EXPECT_EQ(program.finish(), 0);
}
