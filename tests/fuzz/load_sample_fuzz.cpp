// Fuzz target: the sample loader, fed any bytes as an Ogg Vorbis file.
//
// The loader reads "<SampleDirectory>/<name>.ogg", so each input is written
// to a file in a private folder and loaded as the loader thread loads a
// damaged sample. Checked: a failure is "no frames, length 0"; a success hands
// back exactly `length` frames (all read, so the address sanitizer sees a
// short array), freed as FreeSamples frees them.
//
// Almost every mutation breaks a page checksum, which the loader turns away;
// so such an input is loaded again with them mended, to reach the header
// checks and the decoder behind them. Single-threaded.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "audio/samples.h"
#include "tests/ogg_pages.h"
#include "tests/test_platform.h"

namespace
{
// The sample folder, removed when the fuzzer exits.
const ScratchFolder Folder{"mirelantha-sample-fuzz-"};

// Seals every page that starts with "OggS" and has its whole header, up to
// the first whose segment table is cut short; true if any checksum changed.
bool MendChecksums(std::vector<uint8_t>& bytes)
{
    bool changed = false;
    for (size_t at = 0; at + 27 <= bytes.size(); at++)
    {
        if (std::equal(bytes.begin() + at, bytes.begin() + at + 4, "OggS"))
        {
            if (at + 27 + bytes[at + 26] > bytes.size())
            {
                break;
            }
            changed |= SealOggPage(bytes, at);
        }
    }
    return changed;
}

// Every frame is summed into this, so the reads cannot be optimised away.
volatile uint32_t FrameSum = 0;

void LoadOnce(const uint8_t* data, size_t size)
{
    Folder.write("fuzz.ogg", std::string(reinterpret_cast<const char*>(data), size));
    uint32_t length = 12345;
    StereoSample* frames = LoadSample("fuzz", &length);
    if ((frames == nullptr) != (length == 0))
    {
        std::abort();
    }
    FrameSum = FrameSum + std::accumulate(frames, frames + length, 0u, [](uint32_t sum, const StereoSample& frame)
                                          { return sum + (uint16_t(frame.left) ^ uint16_t(frame.right)); });
    delete[] frames;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SampleDirectory = Folder.path.c_str();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LoadOnce(data, size);
    std::vector<uint8_t> mended(data, data + size);
    if (MendChecksums(mended))
    {
        LoadOnce(mended.data(), mended.size());
    }
    return 0;
}
