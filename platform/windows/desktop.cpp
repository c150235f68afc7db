// The desktop size on Windows: the primary screen's size in pixels.
#include "platform/desktop.h"

#include <windows.h>

DesktopSize ReadDesktopSize()
{
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}
