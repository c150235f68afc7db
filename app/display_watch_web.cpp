// Losing the display in the browser: the page is the display, and when it
// goes the program goes with it. Nothing to watch.
#include "app/display_watch.h"

void WatchDisplay(void (*)())
{
}

bool DisplayStillThere()
{
    return true;
}
