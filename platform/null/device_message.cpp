// On Linux the message on stderr says it all (see device_message.h).
#include "platform/device_message.h"

void TellNoAudioDevice(const char*)
{
}
