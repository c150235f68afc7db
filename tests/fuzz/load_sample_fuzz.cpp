// Fuzz target: the sample loader, fed any bytes as an Ogg Vorbis file.
//
// The loader only takes a name and reads "<SampleDirectory>/<name>.ogg", so
// each input is written to a file in a private temporary folder and loaded
// from there, exactly as the loader thread loads a damaged sample. Checked:
// a failure is "no frames, length 0"; a success hands back an array of
// exactly `length` frames (every one is read, so the address sanitizer sees a
// short array), which is freed as FreeSamples frees it.
//
// The loader turns away pages whose checksum is wrong, and almost every
// mutation breaks one; so an input whose checksums do not match is loaded a
// second time with them mended, which lets the fuzzer reach the header checks
// and the decoder behind them. Single-threaded.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/samples.h"
#include "tests/ogg_pages.h"
#include "tests/test_platform.h"

namespace
{
// The sample folder, removed when the fuzzer exits.
const ScratchFolder Folder{"mirelantha-sample-fuzz-"};
const std::string File = Folder.write("fuzz.ogg", "");

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
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SampleDirectory = Folder.path.c_str();
    return 0;
}

namespace
{
// Every frame is summed into this, so the reads cannot be optimised away.
volatile uint32_t FrameSum = 0;

void LoadOnce(const uint8_t* data, size_t size)
{
    std::FILE* out = std::fopen(File.c_str(), "wb");
    if (out == nullptr || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0)
    {
        std::abort();  // the harness itself failed; not a finding in the loader
    }

    uint32_t length = 12345;
    StereoSample* frames = LoadSample("fuzz", &length);
    if ((frames == nullptr) != (length == 0))
    {
        std::abort();
    }
    uint32_t sum = 0;
    for (uint32_t k = 0; k < length; k++)
    {
        sum += static_cast<uint16_t>(frames[k].left) ^ static_cast<uint16_t>(frames[k].right);
    }
    delete[] frames;
    FrameSum = FrameSum + sum;
}
}  // namespace

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
