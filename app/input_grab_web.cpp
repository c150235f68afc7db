// A page has no grab another program could hold: the keys come to the page
// while it has the focus.
#include "app/input_grab.h"

bool InputHeldElsewhere()
{
    return false;
}
