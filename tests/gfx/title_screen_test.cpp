// The title screen as it lands in the ScreenBuffer: title, picture, key help,
// subtitle and the blinking prompt, each drawn over what came before.
#include <gtest/gtest.h>

#include <algorithm>

#include "gfx/palette.h"
#include "gfx/screen_buffer.h"
#include "gfx/title_picture.h"
#include "gfx/title_screen.h"
#include "tests/digest.h"

TEST(TitleScreen, GivesTheStoredPictureInBothPhasesOfThePrompt)
{
    // Every kind of cell: transparent 0, colours, -1 (black), and values
    // whose low byte is 0 (colour 0 over what lies below) or a colour.
    const int32_t cells[] = {0, 3, -1, 256, 263, 9, 0, 1, 5};
    for (int x = 0; x < TitlePictureSize; x++)
    {
        for (int y = 0; y < TitlePictureSize; y++)
        {
            TitlePicture[x][y] = cells[(x * 7 + y * 3) % 9];
        }
    }
    uint32_t digest = DigestStart;
    // 0..5 in blue, 6..9 in purple, and round again.
    for (uint32_t frame : {0u, 5u, 6u, 9u, 10u})
    {
        FrameCounter = frame;
        // Red below, so what is left transparent shows.
        std::fill(std::begin(ScreenBuffer), std::end(ScreenBuffer), ColourRed);
        DrawTitleScreen();
        const int8_t prompt = ScreenBuffer[PixelOffset(55, 6)];  // the "s" of "start"
        EXPECT_EQ(prompt, frame % 10 <= 5 ? ColourBlue : ColourPurple) << "frame " << frame;
        digest = Digest(ScreenBuffer, sizeof ScreenBuffer, digest);
    }
    EXPECT_EQ(digest, 2629392379u) << digest;
}
