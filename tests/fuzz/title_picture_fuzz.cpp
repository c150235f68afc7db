// Fuzz target: the title picture reader, fed any bytes as its text stream.
//
// Beyond "no crash, no undefined behaviour" it checks what a player would see
// go wrong: the grid is the same however often the same text is read (nothing
// leaks from an earlier picture), and every cell past the first one that did
// not read stays transparent. Single-threaded, like the start-up it stands in for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "gfx/title_picture.h"

namespace
{
int32_t FirstPicture[TitlePictureSize][TitlePictureSize];

void Read(const std::string& text)
{
    std::istringstream in(text);
    ReadTitlePicture(in);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    // A picture full of non-zero cells first, so a reader that kept old cells
    // would show them in the comparison below.
    std::string full;
    for (int i = 0; i < TitlePictureSize * TitlePictureSize; i++)
    {
        full += "-1 ";
    }
    Read(full);
    Read(text);
    std::memcpy(FirstPicture, TitlePicture, sizeof(FirstPicture));
    Read(text);
    if (std::memcmp(FirstPicture, TitlePicture, sizeof(FirstPicture)) != 0)
    {
        std::abort();  // the same file gave two different pictures
    }

    // Count how many integers a plain stream reads from the text, then check
    // the grid holds exactly those, bottom row first, and zeros after them.
    std::istringstream in(text);
    int read = 0;
    int32_t value = 0;
    while (read < TitlePictureSize * TitlePictureSize && in >> value)
    {
        const int x = read % TitlePictureSize;
        const int y = read / TitlePictureSize;
        if (TitlePicture[x][y] != value)
        {
            std::abort();
        }
        read++;
    }
    for (int k = read; k < TitlePictureSize * TitlePictureSize; k++)
    {
        if (TitlePicture[k % TitlePictureSize][k / TitlePictureSize] != 0)
        {
            std::abort();  // a cell after the stream failed is not transparent
        }
    }
    return 0;
}
