// What the audio tests share: the audio headers and helpers for running the
// device callback and reading its frames back. Everything here runs on the
// test's own thread, but for Callback, which the stress test's audio thread runs.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "audio/block_render.h"
#include "audio/echo.h"
#include "audio/mixer.h"
#include "audio/music.h"
#include "audio/samples.h"
#include "audio/sound_effects.h"
#include "audio/stereo.h"
#include "platform/threads.h"
#include "audio/voices.h"
#include "tests/sound_measures.h"
#include "tests/test_platform.h"

inline const std::string ShippedSamples = std::string(MIRELANTHA_SOURCE_DIR) + "/dat/samples";

inline uint32_t Le32(const void* at)
{
    const auto* p = static_cast<const uint8_t*>(at);
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// A voice with no random pan jitter or volume boost, so its frames can be
// predicted by hand.
inline Voice PlainVoice(int32_t kind, float frequency, float volume, uint32_t delay, uint32_t attack,
                        uint32_t sustain, uint32_t release, float echoSend = 0.0f, float pan = 0.0f)
{
    return Voice{0, delay, attack, sustain, release, frequency, volume, echoSend, pan, kind, true};
}

// What PlaySoundEx does once it has found the free sound-effect voice `index`.
inline void StartSfxVoice(int index, int32_t kind, uint32_t attack, uint32_t sustain, uint32_t release,
                          float frequency, float volume, float echoSend, float pan)
{
    InitVoice(Voices[index], kind, attack, sustain, release, 0, frequency, volume, echoSend, pan);
    SfxVoiceInUse[index] = true;
    QueueSfxVoice(index);
}

inline int SfxVoicesInUse()
{
    return static_cast<int>(std::count(SfxVoiceInUse, SfxVoiceInUse + SfxVoiceCount, true));
}

// One device callback of `frames` frames.
inline std::vector<StereoSample> Callback(int frames)
{
    std::vector<uint8_t> bytes(4 * static_cast<size_t>(frames));
    AudioCallback(nullptr, bytes.data(), static_cast<int>(bytes.size()));
    return DecodeFrames(bytes);
}
