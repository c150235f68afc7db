// Fuzz target: the sample loader, fed any bytes as an Ogg Vorbis file.
//
// The loader only takes a name and reads "<SampleDirectory>/<name>.ogg", so
// each input is written to a file in a private temporary folder and loaded
// from there, exactly as the loader thread loads a damaged sample. Checked:
// a failure is "no frames, length 0"; a success hands back an array of
// exactly `length` frames (every one is read, so the address sanitizer sees a
// short array), which is freed as FreeSamples frees it. Single-threaded.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/samples.h"

namespace
{
std::string Folder;  // the temporary sample folder
std::string File;    // the one file in it

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::FILE* out = std::fopen(File.c_str(), "wb");
    if (out == nullptr || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0)
    {
        std::abort();  // the harness itself failed; not a finding in the loader
    }

    uint32_t length = 12345;
    StereoSample* frames = LoadSample("fuzz", &length);
    if (frames == nullptr)
    {
        if (length != 0)
        {
            std::abort();
        }
        return 0;
    }
    if (length == 0)
    {
        std::abort();
    }
    uint32_t sum = 0;
    for (uint32_t k = 0; k < length; k++)
    {
        sum += static_cast<uint16_t>(frames[k].left) ^ static_cast<uint16_t>(frames[k].right);
    }
    delete[] frames;
    return sum == 0xFFFFFFFFu ? 1 : 0;  // keeps the reads from being optimised away
}
