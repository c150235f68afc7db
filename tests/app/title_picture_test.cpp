// Reading the title picture: formatted integer extraction, where the numbers
// land in the grid, and how reading stops.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/title_picture.h"

namespace
{
void Read(const std::string& text)
{
    std::istringstream in(text);
    ReadTitlePicture(in);
}

int CountNonZero()
{
    int n = 0;
    for (const auto& column : TitlePicture)
    {
        for (int32_t cell : column)
        {
            n += cell != 0 ? 1 : 0;
        }
    }
    return n;
}

std::string Numbers(int count, int value)
{
    std::string text;
    for (int i = 0; i < count; i++)
    {
        text += std::to_string(value) + " ";
    }
    return text;
}

// Runs a body with the working directory switched, restoring it afterwards.
template <typename Body>
void InDirectory(const std::string& dir, Body body)
{
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    body();
    ASSERT_EQ(chdir(previous), 0);
}
}

TEST(TitlePicture, ASingleNumberFillsOnlyTheBottomLeftCell)
{
    Read("7");
    EXPECT_EQ(TitlePicture[0][0], 7);
    EXPECT_EQ(CountNonZero(), 1);
}

TEST(TitlePicture, NumbersFillRowsLeftToRightFromTheBottomWhateverTheLineBreaks)
{
    Read("1 2\n3");
    EXPECT_EQ(TitlePicture[0][0], 1);
    EXPECT_EQ(TitlePicture[1][0], 2);
    EXPECT_EQ(TitlePicture[2][0], 3);
    EXPECT_EQ(CountNonZero(), 3);

    Read(Numbers(64, 4) + "\t\r\n  +5 -6\v\f8");
    EXPECT_EQ(TitlePicture[63][0], 4);
    EXPECT_EQ(TitlePicture[0][1], 5);
    EXPECT_EQ(TitlePicture[1][1], -6);
    EXPECT_EQ(TitlePicture[2][1], 8);
}

TEST(TitlePicture, ReadingStopsForGoodAtTheFirstThingThatIsNotANumber)
{
    Read(Numbers(64, 9) + "x " + Numbers(100, 3));
    for (int x = 0; x < 64; x++)
    {
        EXPECT_EQ(TitlePicture[x][0], 9);
    }
    EXPECT_EQ(CountNonZero(), 64);

    // A number ends at the first character that cannot continue it; what
    // follows must then start a number of its own.
    Read("12abc 5");
    EXPECT_EQ(TitlePicture[0][0], 12);
    EXPECT_EQ(CountNonZero(), 1);
    Read("3 - 4");
    EXPECT_EQ(TitlePicture[0][0], 3);
    EXPECT_EQ(CountNonZero(), 1);
}

TEST(TitlePicture, ANumberTooLargeForThirtyTwoBitsEndsReadingAndStaysTransparent)
{
    Read("5 2147483648 9");
    EXPECT_EQ(TitlePicture[0][0], 5);
    EXPECT_EQ(TitlePicture[1][0], 0);
    EXPECT_EQ(TitlePicture[2][0], 0);

    Read("-2147483649 1");
    EXPECT_EQ(CountNonZero(), 0);

    Read("2147483647 -2147483648 99999999999999999999999");
    EXPECT_EQ(TitlePicture[0][0], INT32_MAX);
    EXPECT_EQ(TitlePicture[1][0], INT32_MIN);
    EXPECT_EQ(TitlePicture[2][0], 0);
}

TEST(TitlePicture, OnlyTheFirst4096NumbersAreRead)
{
    Read(Numbers(4095, 1) + "2 3 4");
    EXPECT_EQ(TitlePicture[62][63], 1);
    EXPECT_EQ(TitlePicture[63][63], 2);
    EXPECT_EQ(CountNonZero(), 4096);
}

TEST(TitlePicture, EveryByteBetweenTwoNumbersIsHandledAsFormattedExtractionDoes)
{
    for (int byte = 0; byte < 256; byte++)
    {
        const char ch = static_cast<char>(byte);
        Read(std::string("4") + ch + "5 6");
        if (std::isspace(byte))
        {
            EXPECT_EQ(TitlePicture[0][0], 4) << "byte " << byte;
            EXPECT_EQ(TitlePicture[1][0], 5) << "byte " << byte;
            EXPECT_EQ(TitlePicture[2][0], 6) << "byte " << byte;
        }
        else if (std::isdigit(byte))
        {
            EXPECT_EQ(TitlePicture[0][0], 405 + 10 * (byte - '0')) << "byte " << byte;
            EXPECT_EQ(TitlePicture[1][0], 6) << "byte " << byte;
        }
        else if (ch == '+' || ch == '-')
        {
            // The sign starts the next number.
            EXPECT_EQ(TitlePicture[0][0], 4) << "byte " << byte;
            EXPECT_EQ(TitlePicture[1][0], ch == '+' ? 5 : -5) << "byte " << byte;
            EXPECT_EQ(TitlePicture[2][0], 6) << "byte " << byte;
        }
        else
        {
            EXPECT_EQ(TitlePicture[0][0], 4) << "byte " << byte;
            EXPECT_EQ(CountNonZero(), 1) << "byte " << byte;
        }
    }
}

TEST(TitlePicture, AMissingFileGivesAnEmptyPictureEvenAfterAnEarlierRead)
{
    Read("1 2 3");
    const std::string dir = MIRELANTHA_BINARY_DIR "/title_picture_empty_dir";
    std::string command = "mkdir -p '" + dir + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    InDirectory(dir, [] { ReadTitlePictureFile(); });
    EXPECT_EQ(CountNonZero(), 0);
}

TEST(TitlePicture, ShippedPictureIsPaintedInPaletteColoursOnly)
{
    InDirectory(MIRELANTHA_SOURCE_DIR, [] { ReadTitlePictureFile(); });
    int painted = 0;
    for (const auto& column : TitlePicture)
    {
        for (int32_t cell : column)
        {
            EXPECT_GE(cell, 0);
            EXPECT_LE(cell, 9);
            painted += cell != 0 ? 1 : 0;
        }
    }
    EXPECT_GT(painted, 1000);
}
