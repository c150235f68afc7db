// Windows and the browser have one video driver, and the program's own
// file or page names the game (see video_driver.h).
#include "platform/video_driver.h"

void ChooseVideoDriver()
{
}
