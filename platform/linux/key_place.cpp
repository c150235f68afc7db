// The bottom letter row by X11 key codes (the kernel's key numbers plus 8), as
// SDL 1.2 reports them as the scan code on X11, classic or over SDL 2.
#include "platform/key_place.h"

const int32_t BottomRowPositions[7] = {52, 53, 54, 55, 56, 57, 58};
