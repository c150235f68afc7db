// Where a key sits on the keyboard, whatever it types: the shell places the
// tiles by the bottom letter row's places when a key's own letter is not one
// of theirs (AZERTY, QWERTZ). Each platform names key positions its own way:
// linux/ by X11 key code, windows/ by the PC scan code Windows reports, web/
// by the USB usage number of the browser's KeyboardEvent.code.
// Main thread, for each key event.
#pragma once

#include <cstdint>

// The key positions of the places of Z X C V B N M on a US keyboard, in that
// order, in the platform's own numbering.
extern const int32_t BottomRowPositions[7];

// The bottom letter row's place of a key position: 0 to 6 for the places of
// Z X C V B N M, -1 for any other position.
inline int32_t BottomRowPlace(int32_t position)
{
    for (int32_t place = 0; place < 7; place++)
    {
        if (BottomRowPositions[place] == position)
        {
            return place;
        }
    }
    return -1;
}
