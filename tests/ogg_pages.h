// Ogg pages as the tests take them apart: a page's length, and sealing a page
// whose bytes were changed with the checksum that makes it whole again.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <vector>

#include "audio/ogg_check.h"

// Bytes of the page at `at`: header, segment table and body. The header and
// its segment table must be there; the body may be cut short.
inline size_t OggPageLength(const std::vector<uint8_t>& bytes, size_t at)
{
    const auto table = bytes.begin() + at + 27;
    return 27 + bytes[at + 26] + std::accumulate(table, table + bytes[at + 26], size_t{0});
}

// Writes the checksum of the page at `at`, summed over as much of it as the
// bytes hold; true when that changed the stored one.
inline bool SealOggPage(std::vector<uint8_t>& bytes, size_t at)
{
    const std::vector<uint8_t> stored(bytes.begin() + at + 22, bytes.begin() + at + 26);
    std::fill_n(bytes.begin() + at + 22, 4, uint8_t{0});
    const uint32_t sum = OggChecksum(&bytes[at], std::min(OggPageLength(bytes, at), bytes.size() - at));
    for (int k = 0; k < 4; k++)
    {
        bytes[at + 22 + k] = static_cast<uint8_t>(sum >> (8 * k));
    }
    return !std::equal(stored.begin(), stored.end(), bytes.begin() + at + 22);
}
