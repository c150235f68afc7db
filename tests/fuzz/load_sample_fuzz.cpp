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
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/ogg_check.h"
#include "audio/samples.h"

namespace
{
std::string Folder;  // the temporary sample folder
std::string File;    // the one file in it

// Rewrites the checksum of every page that starts with "OggS" and has a whole
// header; a page cut short by the end of the input is summed as far as it
// goes. Returns true if any checksum changed.
bool MendChecksums(std::vector<uint8_t>& bytes)
{
    constexpr size_t HeaderBytes = 27;  // up to and including the segment count
    bool changed = false;
    size_t at = 0;
    while (at + HeaderBytes <= bytes.size())
    {
        if (bytes[at] != 'O' || bytes[at + 1] != 'g' || bytes[at + 2] != 'g' || bytes[at + 3] != 'S')
        {
            at++;
            continue;
        }
        const size_t segments = bytes[at + 26];
        if (at + HeaderBytes + segments > bytes.size())
        {
            break;
        }
        size_t size = HeaderBytes + segments;
        for (size_t k = 0; k < segments; k++)
        {
            size += bytes[at + HeaderBytes + k];
        }
        size = size < bytes.size() - at ? size : bytes.size() - at;
        uint8_t stored[4];
        for (int k = 0; k < 4; k++)
        {
            stored[k] = bytes[at + 22 + k];
            bytes[at + 22 + k] = 0;
        }
        const uint32_t sum = OggChecksum(&bytes[at], size);
        for (int k = 0; k < 4; k++)
        {
            bytes[at + 22 + k] = static_cast<uint8_t>(sum >> (8 * k));
            changed |= bytes[at + 22 + k] != stored[k];
        }
        at += 4;
    }
    return changed;
}

void RemoveFolder()
{
    std::remove(File.c_str());
    rmdir(Folder.c_str());
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                          "/mirelantha-sample-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
    {
        std::perror("mkdtemp");
        std::exit(1);
    }
    Folder = pattern;
    File = Folder + "/fuzz.ogg";
    SampleDirectory = Folder.c_str();
    std::atexit(RemoveFolder);
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
