// Sound as a listener judges it, for the audio and end-to-end tests: frames
// read back from the little-endian bytes the device callback and SDL's disk
// audio driver write, their levels, and the leaps wrap-around leaves.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "audio/stereo.h"

constexpr int AudioRate = 44100;

template <typename Bytes>
std::vector<StereoSample> DecodeFrames(const Bytes& bytes)
{
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
    std::vector<StereoSample> frames(bytes.size() / 4);
    for (size_t i = 0; i < frames.size(); ++i)
    {
        frames[i] = {Wrap16(b[4 * i] | b[4 * i + 1] << 8), Wrap16(b[4 * i + 2] | b[4 * i + 3] << 8)};
    }
    return frames;
}

inline size_t Frames(double seconds)
{
    return static_cast<size_t>(seconds * AudioRate);
}

// Loudest magnitude in either channel over frames [from, to), and the RMS.
struct Level
{
    int peak = 0;
    double rms = 0.0;
};

inline Level Measure(const std::vector<StereoSample>& frames, size_t from = 0, size_t to = SIZE_MAX)
{
    Level level;
    to = std::min(to, frames.size());
    for (size_t i = from; i < to; i++)
    {
        for (int v : {frames[i].left, frames[i].right})
        {
            level.peak = std::max(level.peak, std::abs(v));
            level.rms += double(v) * v;
        }
    }
    level.rms = to <= from ? 0.0 : std::sqrt(level.rms / double(2 * (to - from)));
    return level;
}

// The levels of the 50 ms windows that fit in frames [from, to).
inline std::vector<Level> Windows(const std::vector<StereoSample>& frames, size_t from = 0, size_t to = SIZE_MAX)
{
    std::vector<Level> levels;
    for (size_t start = from; start + Frames(0.05) <= std::min(to, frames.size()); start += Frames(0.05))
    {
        levels.push_back(Measure(frames, start, start + Frames(0.05)));
    }
    return levels;
}

// Frames at which either channel moves by more than `limit` from the frame
// before: what wrap-around arithmetic leaves (a flip between the two halves
// of full scale is such a leap).
inline int CountLeaps(const std::vector<StereoSample>& frames, int limit)
{
    int leaps = 0;
    for (size_t i = 1; i < frames.size(); i++)
    {
        leaps += std::max(std::abs(frames[i].left - frames[i - 1].left),
                          std::abs(frames[i].right - frames[i - 1].right)) > limit;
    }
    return leaps;
}
