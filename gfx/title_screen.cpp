// The title screen shown while no game mode runs: the title, the title
// picture, two lines of key help, the subtitle and a blinking "start".
//
// Stateless: redrawn from scratch into the cleared ScreenBuffer every presented
// frame, later drawing over earlier. Also owns FrameCounter, the count of
// presented frames the prompt blinks by. Main thread only.
#include "gfx/title_screen.h"

#include "gfx/font.h"
#include "gfx/palette.h"
#include "gfx/screen_buffer.h"
#include "gfx/title_picture.h"

//------------------------------------------------------------------------------
// Global state
//------------------------------------------------------------------------------

uint32_t FrameCounter = 0;

namespace
{
// Where the picture's bottom-left cell lands: it covers x 32..95, y 18..81.
constexpr int PictureLeft = 32;
constexpr int PictureBottom = 18;

// Centred as callers of DrawText do it; the division truncates toward zero.
int32_t CentredX(const char* text, int32_t scale)
{
    return (ScreenWidth - scale * TextWidth(text)) / 2;
}
}

//------------------------------------------------------------------------------
// Functions
//------------------------------------------------------------------------------

void DrawTitleScreen()
{
    DrawText("larkspurhollows", CentredX("larkspurhollows", 2), 82, ColourStone, 2);
    DrawTitleHelp();
    // Drawn after the picture, so it wins over the picture's upper rows.
    DrawText("design problem solving", CentredX("design problem solving", 1), 74, ColourLeaf, 1);
    // A period of 10 frames: 6 in blue, then 4 in purple.
    const int8_t promptIndex = FrameCounter % 10 > 5 ? ColourPurple : ColourBlue;
    DrawText("start", CentredX("start", 1), 2, promptIndex, 1);
}

void DrawTitleHelp()
{
    for (int x = 0; x < TitlePictureSize; x++)
    {
        for (int y = 0; y < TitlePictureSize; y++)
        {
            const int32_t value = TitlePicture[x][y];
            if (value != 0)
            {
                // Only the low byte counts: -1 gives byte 255, shown black.
                const int8_t index = static_cast<int8_t>(static_cast<uint8_t>(value & 0xFF));
                PutPixelClipped(PictureLeft + x, PictureBottom + y, index);
            }
        }
    }

    // The labels follow their keys after one space, hence the trailing space
    // in the measured strings.
    DrawText("^&<>", 38, 16, ColourPink, 1);
    DrawText("select", 38 + TextWidth("^&<> "), 16, ColourDarkBrown, 1);
    DrawText("zxcvbnm", 28, 9, ColourPink, 1);
    DrawText("place tile", 28 + TextWidth("zxcvbnm "), 9, ColourDarkBrown, 1);
}
