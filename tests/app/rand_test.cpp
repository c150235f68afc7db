// The C library's rand as every build of the game draws it: the Linux build's
// generator, which the browser build supplies itself, so that replays and
// renders match between them. The expected numbers are the Linux C library's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#ifndef _WIN32
TEST(Rand, DrawsTheLinuxSequenceForEverySeed)
{
    struct Case
    {
        unsigned seed;
        std::vector<int> first;  // the first four draws
        int afterThousand;  // the draw after the first thousand
    };
    const Case cases[] = {
        {0, {1804289383, 846930886, 1681692777, 1714636915}, 981914693},  // 0 is taken as 1
        {1, {1804289383, 846930886, 1681692777, 1714636915}, 981914693},
        {42, {71876166, 708592740, 1483128881, 907283241}, 1963050744},
        {2147483647u, {1065668062, 2142264300, 1066566375, 1064012770}, 1446597600},
        {2147483648u, {1336741213, 1210407648, 1447044896, 337392383}, 1917559864},  // negative as a word
        {4294967295u, {254925627, 1205188300, 366127624, 1401405153}, 1216673817},
    };
    for (const Case& c : cases)
    {
        std::srand(c.seed);
        std::vector<int> draws(1001);
        std::generate(draws.begin(), draws.end(), std::rand);
        EXPECT_EQ(std::vector<int>(draws.begin(), draws.begin() + 4), c.first) << "seed " << c.seed;
        EXPECT_EQ(draws.back(), c.afterThousand) << "seed " << c.seed;
    }
}
#endif
