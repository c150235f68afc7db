// The bottom letter row by the USB usage numbers of the browser's
// KeyboardEvent.code (KeyZ, KeyX, KeyC, KeyV, KeyB, KeyN, KeyM), which the
// page's key listener hands to the host.
#include "platform/key_place.h"

const int32_t BottomRowPositions[7] = {29, 27, 6, 25, 5, 17, 16};
