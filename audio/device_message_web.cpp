// In the browser the page tells the player about the sound itself (see
// device_message.h); the console has the message the device printed.
#include "audio/device_message.h"

void TellNoAudioDevice(const char*)
{
}
