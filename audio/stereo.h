// One stereo frame and the mixer's arithmetic rule.
//
// Frames are summed in 16 bits and wrap around on overflow, on purpose: there
// is no clipping stage anywhere in the mixer. The wrap is done on unsigned
// types so it never relies on signed overflow.
#pragma once

#include <cstdint>

struct StereoSample
{
    int16_t left;
    int16_t right;
};

// Low 16 bits of a 32-bit value, read as signed (two's complement).
inline int16_t Wrap16(int32_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value)));
}

// 16-bit wrapping sum of two channel values.
inline int16_t WrapAdd16(int16_t a, int16_t b)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint16_t>(a) + static_cast<uint16_t>(b)));
}

inline StereoSample WrapAdd(StereoSample a, StereoSample b)
{
    return {WrapAdd16(a.left, b.left), WrapAdd16(a.right, b.right)};
}

// Products of 32-bit unsigned values wrap modulo 2^32.
inline uint32_t WrapMul32(uint32_t a, uint32_t b)
{
    return a * b;
}
