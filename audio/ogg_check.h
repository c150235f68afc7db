// A structural check of an Ogg Vorbis file before it reaches the decoder.
//
// The decoder trusts the counts in a stream's headers: a damaged comment
// header can make it loop over billions of entries, which would stall the
// sample loader (and with it shutdown) for good. Real damage also breaks the
// page checksums, so verifying them, and the few header counts the decoder
// loops over, rejects such files before they cost anything.
#pragma once

#include <cstddef>
#include <cstdint>

// True when the bytes are whole Ogg pages with correct checksums whose first
// stream starts with a well-formed Vorbis identification and comment header.
bool OggVorbisLooksSound(const uint8_t* data, size_t size);

// Reads the file (a regular file of at most MaxSampleFileBytes) and checks it
// as above.
constexpr size_t MaxSampleFileBytes = 32u << 20;
bool OggVorbisFileLooksSound(const char* path);

// The Ogg page checksum (CRC-32, polynomial 0x04c11db7, no reflection).
uint32_t OggChecksum(const uint8_t* data, size_t size);
