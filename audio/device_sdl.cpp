// The audio device (skeleton).
#include "audio/device.h"

void AudioStartup() {}
