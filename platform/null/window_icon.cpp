// On Windows the program carries its icon in itself, and the window takes it
// from there.
#include "platform/window_icon.h"

void ShowWindowIcon()
{
}
