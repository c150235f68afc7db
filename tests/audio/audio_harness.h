// What the audio tests share: the audio headers and helpers for running the
// device callback and reading its frames back.
// Everything here runs on the test's own thread.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
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

inline uint32_t Le32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Index of the first frame where a and b differ, or the shorter length.
inline size_t FirstDifference(const std::vector<StereoSample>& a, const std::vector<StereoSample>& b)
{
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i].left == b[i].left && a[i].right == b[i].right)
    {
        ++i;
    }
    return i;
}

// A voice with no random pan jitter or volume boost, so its frames can be
// predicted by hand.
inline Voice PlainVoice(int32_t kind, float frequency, float volume, uint32_t delay, uint32_t attack,
                        uint32_t sustain, uint32_t release, float echoSend = 0.0f, float pan = 0.0f)
{
    return Voice{0, delay, attack, sustain, release, frequency, volume, echoSend, pan, kind, true};
}

// One device callback of `frames` frames.
inline std::vector<StereoSample> Callback(int frames)
{
    std::vector<uint8_t> bytes(4 * static_cast<size_t>(frames));
    AudioCallback(nullptr, bytes.data(), static_cast<int>(bytes.size()));
    return DecodeFrames(bytes);
}

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    const std::string bytes = ReadAll(path);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}
