// Windows has no grab another program could hold: a full-screen window takes
// the keyboard and the mouse when it comes to the front.
#include "platform/input_grab.h"

bool InputHeldElsewhere()
{
    return false;
}
