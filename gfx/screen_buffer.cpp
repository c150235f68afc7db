// Storage of the 128 x 96 software framebuffer and its clear.
//
// Every drawing routine of the title screen and the game modes writes palette
// indices here; presentation turns them into colours once per frame. Main
// thread only.
#include "gfx/screen_buffer.h"

#include <cstring>  // Required for: memset()

//------------------------------------------------------------------------------
// Global state
//------------------------------------------------------------------------------

int8_t ScreenBuffer[ScreenPixels];

//------------------------------------------------------------------------------
// Functions
//------------------------------------------------------------------------------

// Index 0 is the background: every frame is drawn from scratch on top of it.
void ClearScreenBuffer()
{
    std::memset(ScreenBuffer, 0, sizeof(ScreenBuffer));
}
