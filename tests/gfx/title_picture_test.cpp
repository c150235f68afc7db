// Reading the title picture: formatted integer extraction, where the numbers
// land in the grid, and how reading stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <sstream>
#include <string>

#include "gfx/title_picture.h"

namespace
{
std::string Numbers(int count, int value)
{
    std::string text;
    while (count-- > 0)
    {
        text += std::to_string(value) + " ";
    }
    return text;
}

int CountNonZero()
{
    const int32_t* cells = &TitlePicture[0][0];
    return static_cast<int>(4096 - std::count(cells, cells + 4096, 0));
}
}  // namespace

TEST(TitlePicture, NumbersFillRowsFromTheBottomUntilTheFirstNonNumberOrTheFullGridAndAMissingFileClearsIt)
{
    // The text -> one cell (x, y) and its value, and how many cells are not
    // transparent afterwards.
    struct Case { std::string text; int x, y; int32_t value; int nonZero; };
    const Case cases[] = {
        {Numbers(64, 4) + "\n-6 - 8", 0, 1, -6, 65},                 // a sign on its own ends reading
        {Numbers(4095, 1) + "2 3 4", 63, 63, 2, 4096},               // only the first 4096 numbers are read
        {"5 2147483648 9", 0, 0, 5, 1},                              // too large for 32 bits: ends reading
        {"2147483647 -2147483648 -2147483649 1", 1, 0, INT32_MIN, 2},
    };
    for (const Case& c : cases)
    {
        std::istringstream in(c.text);
        ReadTitlePicture(in);
        EXPECT_EQ(TitlePicture[c.x][c.y], c.value) << c.text.substr(0, 40);
        EXPECT_EQ(CountNonZero(), c.nonZero) << c.text.substr(0, 40);
    }
    ReadTitlePictureFile(MIRELANTHA_BINARY_DIR "/no_such_data_folder");
    EXPECT_EQ(CountNonZero(), 0) << "an earlier picture stays after a missing file";
}
