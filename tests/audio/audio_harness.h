// What the audio tests share: the audio headers, helpers for running the
// device callback and reading its frames back, and a scratch folder per test.
// Everything here runs on the test's own thread.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "audio/block_render.h"
#include "audio/echo.h"
#include "audio/mixer.h"
#include "audio/music.h"
#include "audio/samples.h"
#include "audio/sound_effects.h"
#include "audio/stereo.h"
#include "audio/threads.h"
#include "audio/voices.h"

inline const std::string ShippedSamples = std::string(MIRELANTHA_SOURCE_DIR) + "/dat/samples";

inline int16_t Le16(const uint8_t* b)
{
    return static_cast<int16_t>(static_cast<uint16_t>(b[0] | (b[1] << 8)));
}

inline uint32_t Le32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Little-endian 16-bit stereo bytes as the device sees them, back to frames.
inline std::vector<StereoSample> DecodeFrames(const std::vector<uint8_t>& bytes)
{
    std::vector<StereoSample> frames(bytes.size() / 4);
    for (size_t i = 0; i < frames.size(); ++i)
    {
        frames[i] = {Le16(&bytes[4 * i]), Le16(&bytes[4 * i + 2])};
    }
    return frames;
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
                        uint32_t sustain, uint32_t release)
{
    return Voice{0, delay, attack, sustain, release, frequency, volume, 0.0f, 0.0f, kind, true};
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
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A folder of the running test's own, removed afterwards.
class ScratchDir
{
public:
    ScratchDir()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() /
               ("mirelantha_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }

    std::string write(const std::string& name, const std::string& bytes) const
    {
        std::string file = (path / name).string();
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

    std::filesystem::path path;
};
