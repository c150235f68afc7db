// The title picture: a 64 x 64 grid of palette indices read once at start-up
// from a text file of whitespace-separated integers, bottom row first.
//
// Read on the main thread at the end of start-up; nothing changes it later.
// A missing or short file is not an error: the cells not read stay 0, which
// the title screen treats as transparent.
#include "gfx/title_picture.h"

#include <cstdio>   // Required for: snprintf()
#include <cstring>  // Required for: memset()
#include <sstream>
#include <vector>

#include "platform/file_io.h"

//------------------------------------------------------------------------------
// Global state
//------------------------------------------------------------------------------

int32_t TitlePicture[TitlePictureSize][TitlePictureSize];

//------------------------------------------------------------------------------
// Functions
//------------------------------------------------------------------------------

void ReadTitlePicture(std::istream& in)
{
    std::memset(TitlePicture, 0, sizeof(TitlePicture));
    for (int y = 0; y < TitlePictureSize; y++)
    {
        for (int x = 0; x < TitlePictureSize; x++)
        {
            // Through a temporary: a failed extraction may still store a value
            // (0, or the clamped limit on overflow), and a cell whose number
            // did not read must stay transparent.
            int32_t value = 0;
            if (!(in >> value))
            {
                return;  // a failed stream stays failed: every later cell is 0
            }
            TitlePicture[x][y] = value;
        }
    }
}

void ReadTitlePictureFile(const std::string& directory)
{
    char name[32];
    std::snprintf(name, sizeof(name), "/lh%d.txt", 0);
    // Only a regular file is read: a FIFO under the name would otherwise hold
    // start-up until someone wrote to it. Anything else is treated as missing.
    // Of a huge file only the start, which holds the picture, is read.
    std::vector<uint8_t> bytes;
    ReadRegularFile((directory + name).c_str(), MaxTitlePictureFileBytes, bytes, true);
    std::istringstream file(std::string(bytes.begin(), bytes.end()));
    ReadTitlePicture(file);
}
