// The checksum stored renders are kept as: 32-bit FNV-1a over the bytes as
// they lie in memory, started afresh or continued from an earlier digest.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t DigestStart = 2166136261u;

inline uint32_t Digest(const void* data, size_t size, uint32_t digest = DigestStart)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i)
    {
        digest = (digest ^ bytes[i]) * 16777619u;
    }
    return digest;
}
