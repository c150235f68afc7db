// Losing the display on Windows: a destroyed window reaches SDL as the end of
// its message loop and so the game as a quit event; there is no connection
// to lose. Nothing to watch.
#include "platform/display_watch.h"

void WatchDisplay(void (*)())
{
}

bool DisplayStillThere()
{
    return true;
}
