// An Xbox-layout pad as SDL 1.2 reports it here (see app/pad_input.h).
#include "platform/pad_layout.h"

const PadLayout& PlatformXboxPad()
{
    return StandardGamepad;
}
