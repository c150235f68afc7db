// PNG files of RGB or RGBA pixels, written whole or not at all (see
// file_io.h): the screenshots' and the replay tool's frames. Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Encodes width x height pixels of `channels` bytes each (3: RGB, 4: RGBA),
// top row first, as a PNG file's bytes. False when there is nothing to encode.
bool EncodePng(int32_t width, int32_t height, int channels, const uint8_t* pixels, std::vector<uint8_t>& encoded);

// Encodes the pixels as EncodePng does and writes them under `path`. keepExisting refuses a name
// that is taken; otherwise an existing entry is replaced, a link itself and
// never the file it leads to. False, with nothing left behind and the reason
// in `why` when given, when the file could not be written whole.
bool WritePngFile(const std::string& path, int32_t width, int32_t height, int channels,
                  const uint8_t* pixels, bool keepExisting, std::string* why = nullptr);
