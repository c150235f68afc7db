// The bottom letter row by PC scan codes (set 1), as Windows reports them and
// SDL 1.2 passes them on as the scan code.
#include "platform/key_place.h"

namespace
{
constexpr int32_t BottomRow[] = {0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};
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
