// The audio device: the SDL side of the mixer. Main thread only.
#pragma once

// The audio start-up sequence as the shell runs it: AudioStartupState, the
// sample loader thread, then the device. When the device cannot be opened the
// program ends with exit code 1 after saying why on stderr.
void AudioStartup();
