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
void Read(const std::string& text)
{
    std::istringstream in(text);
    ReadTitlePicture(in);
}

int CountNonZero()
{
    const int32_t* cells = &TitlePicture[0][0];
    return static_cast<int>(4096 - std::count(cells, cells + 4096, 0));
}

std::string Numbers(int count, int value)
{
    std::string text;
    while (count-- > 0)
    {
        text += std::to_string(value) + " ";
    }
    return text;
}

}

TEST(TitlePicture, NumbersFillRowsFromTheBottomUntilTheFirstNonNumberOrThe4096th)
{
    Read(Numbers(64, 4) + "\n-6 - 8");
    EXPECT_EQ(TitlePicture[63][0], 4);
    EXPECT_EQ(TitlePicture[0][1], -6);
    EXPECT_EQ(CountNonZero(), 65) << "a sign on its own ends reading";

    // Only the first 4096 numbers are read.
    Read(Numbers(4095, 1) + "2 3 4");
    EXPECT_EQ(TitlePicture[62][63], 1);
    EXPECT_EQ(TitlePicture[63][63], 2);
    EXPECT_EQ(CountNonZero(), 4096);
}

TEST(TitlePicture, ANumberTooLargeForThirtyTwoBitsEndsReadingAndStaysTransparent)
{
    Read("5 2147483648 9");
    EXPECT_EQ(TitlePicture[0][0], 5);
    EXPECT_EQ(CountNonZero(), 1);

    Read("2147483647 -2147483648 -2147483649 1");
    EXPECT_EQ(TitlePicture[0][0], INT32_MAX);
    EXPECT_EQ(TitlePicture[1][0], INT32_MIN);
    EXPECT_EQ(CountNonZero(), 2);
}

TEST(TitlePicture, AMissingFileGivesAnEmptyPictureEvenAfterAnEarlierRead)
{
    Read("1 2 3");
    ReadTitlePictureFile(MIRELANTHA_BINARY_DIR "/no_such_data_folder");
    EXPECT_EQ(CountNonZero(), 0);
}
