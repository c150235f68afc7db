// How this platform's SDL reports an Xbox-layout pad: its axes, hats and
// buttons in SDL's numbering differ between Linux's evdev driver, Windows'
// winmm and the browser's standard gamepad. The tables themselves are
// portable data (app/pad_input.h); each platform names its own.
// Main thread.
#pragma once

#include "app/pad_input.h"

const PadLayout& PlatformXboxPad();
