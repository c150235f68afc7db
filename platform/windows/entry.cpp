// The entry point on Windows: the GUI entry, so the game opens no console.
// Its four arguments, the command line among them, are ignored.
#include <windows.h>

#include "platform/entry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunGame();
}
