// The bottom letter row by PC scan codes (set 1), as Windows reports them and
// SDL 1.2 passes them on as the scan code.
#include "platform/key_place.h"

const int32_t BottomRowPositions[7] = {0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};
