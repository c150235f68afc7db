// The bottom letter row by the USB usage numbers of the browser's
// KeyboardEvent.code (KeyZ, KeyX, KeyC, KeyV, KeyB, KeyN, KeyM), which the
// page's key listener hands to the host.
#include "platform/key_place.h"

namespace
{
constexpr int32_t BottomRow[] = {29, 27, 6, 25, 5, 17, 16};
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
