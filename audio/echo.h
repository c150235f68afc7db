// The echo network: three taps on an eight-beat ring of stereo frames.
// Audio thread only (the start-up reset runs before the device starts).
#pragma once

#include <cstdint>

#include "audio/stereo.h"

constexpr int32_t EchoRingFrames = 151200;  // eight beats of 18900 frames
constexpr int32_t EchoHalfRing = 75600;

// Static storage, about 600 KB: never allocated on the audio thread.
extern StereoSample EchoBuffer[EchoRingFrames];
extern int32_t tap1, tap2, tap3;

// Zero the ring and put the three taps at 0.
void ResetEcho();
// Halve every value of the ring (a new game starts with a quieter tail).
void DampEcho();
// Runs the three taps for one frame with the dry mix and the echo send of
// that frame and returns the output frame.
StereoSample EchoFrame(StereoSample dry, StereoSample send);
