// Fuzz target: the title picture reader, fed any bytes as its text stream.
//
// Beyond "no crash, no undefined behaviour" it checks what a player would see
// go wrong: the grid holds what the text says, nothing leaks from an earlier
// picture, and every cell past the first one that did not read stays
// transparent. Single-threaded, like the start-up it stands in for.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "gfx/title_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    // A picture full of non-zero cells first, so a reader that kept old cells
    // would show them where the comparison below expects transparent ones.
    std::memset(TitlePicture, 0xFF, sizeof(TitlePicture));
    std::istringstream picture(text);
    ReadTitlePicture(picture);

    // The grid holds exactly the integers a plain stream reads from the text,
    // bottom row first, and zeros (transparent) from the first that fails on.
    std::istringstream in(text);
    bool reading = true;
    for (int k = 0; k < TitlePictureSize * TitlePictureSize; k++)
    {
        int32_t value = 0;
        reading = reading && static_cast<bool>(in >> value);
        if (TitlePicture[k % TitlePictureSize][k / TitlePictureSize] != (reading ? value : 0))
        {
            std::abort();
        }
    }
    return 0;
}
