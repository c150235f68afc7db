// One stereo frame and the mixer's arithmetic rule. Header only; used by the
// mixer (audio thread), the sample bank (loader thread) and the voice starts.
//
// Frames are summed in 16 bits and wrap around on overflow, on purpose: there
// is no clipping stage anywhere in the mixer. The wrap is done on unsigned
// types so it never relies on signed overflow.
//
// Every helper is always inlined: the block renderer's kernel is built for
// two instruction sets, and no out-of-line copy of a helper built for the
// wider one may end up serving code built for the other.
#pragma once

#include <cstdint>

struct StereoSample
{
    int16_t left;
    int16_t right;
};

// Low 16 bits of a 32-bit value, read as signed (two's complement).
[[gnu::always_inline]] inline int16_t Wrap16(int32_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value)));
}

// 16-bit wrapping sum of two channel values.
[[gnu::always_inline]] inline int16_t WrapAdd16(int16_t a, int16_t b)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint16_t>(a) + static_cast<uint16_t>(b)));
}

[[gnu::always_inline]] inline StereoSample WrapAdd(StereoSample a, StereoSample b)
{
    return {WrapAdd16(a.left, b.left), WrapAdd16(a.right, b.right)};
}

// Products of 32-bit unsigned values wrap modulo 2^32.
[[gnu::always_inline]] inline uint32_t WrapMul32(uint32_t a, uint32_t b)
{
    return a * b;
}

// Float-to-integer conversion, truncating toward zero. A value outside the
// 32-bit range (or NaN) has no defined conversion in C++; we give it the
// integer "indefinite" value INT32_MIN, which is what the x86 instruction
// produces, so a voice with an absurd volume makes noise instead of undefined
// behaviour. Every real voice stays far inside the range.
[[gnu::always_inline]] inline int32_t TruncToInt32(double value)
{
    if (value > -2147483649.0 && value < 2147483648.0)
    {
        return static_cast<int32_t>(value);
    }
    return INT32_MIN;
}

[[gnu::always_inline]] inline int32_t TruncToInt32(float value)
{
    if (value >= -2147483648.0f && value < 2147483648.0f)
    {
        return static_cast<int32_t>(value);
    }
    return INT32_MIN;
}

// Truncation toward zero to a 64-bit integer of which only the low 32 bits are
// kept (the phase counts of the square waves). Out of range gives 0, the low
// half of INT64_MIN.
[[gnu::always_inline]] inline uint32_t TruncLow32(double value)
{
    if (value > -9223372036854775808.0 && value < 9223372036854775808.0)
    {
        return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(value)));
    }
    return 0;
}

// A truncated product stored in a 16-bit channel keeps its low 16 bits.
[[gnu::always_inline]] inline int16_t TruncTo16(float value)
{
    return Wrap16(TruncToInt32(value));
}

[[gnu::always_inline]] inline int16_t TruncTo16(double value)
{
    return Wrap16(TruncToInt32(value));
}
