// The bottom letter row by X11 key codes (the kernel's key numbers plus 8), as
// SDL 1.2 reports them as the scan code on X11, classic or over SDL 2.
#include "platform/key_place.h"

namespace
{
constexpr int32_t BottomRow[] = {52, 53, 54, 55, 56, 57, 58};
static_assert(sizeof(BottomRow) / sizeof(BottomRow[0]) == 7, "the places of Z X C V B N M");
}  // namespace

int32_t BottomRowPlace(int32_t position)
{
    for (int32_t place = 0; place < 7; place++)
    {
        if (BottomRow[place] == position)
        {
            return place;
        }
    }
    return -1;
}
