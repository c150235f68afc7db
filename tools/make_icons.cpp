// Renders the game's icon from its title picture, at the sizes the Linux
// desktop's icon theme wants or as one Windows icon file:
//
//     make-icons PICTURE OUTDIR SIZE...        OUTDIR/<SIZE>x<SIZE>/apps/mirelantha.png
//     make-icons --ico PICTURE FILE SIZE...    FILE, a .ico with every SIZE (1..256)
//
// Exits 2 on a usage error, 1 when the picture is missing or empty or a file
// cannot be written. Names are UTF-8 on every system.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/command_line.h"
#include "platform/file_io.h"
#include "gfx/icon.h"
#include "gfx/png_file.h"
#include "gfx/title_picture.h"

namespace fs = std::filesystem;

namespace
{
int Usage()
{
    std::fprintf(stderr, "usage: make-icons PICTURE OUTDIR SIZE...\n"
                         "       make-icons --ico PICTURE FILE SIZE...\n");
    return 2;
}

// False, after saying why, when the picture cannot be read or is empty.
bool ReadPicture(const char* path)
{
    std::vector<uint8_t> bytes;
    const ReadStatus status = ReadRegularFile(path, MaxTitlePictureFileBytes, bytes, true);
    if (status != ReadStatus::Read)
    {
        std::fprintf(stderr, "make-icons: %s %s\n", path, ReadStatusText(status));
        return false;
    }
    std::istringstream picture(std::string(bytes.begin(), bytes.end()));
    ReadTitlePicture(picture);
    const int32_t* cells = &TitlePicture[0][0];
    if (std::all_of(cells, cells + TitlePictureSize * TitlePictureSize, [](int32_t cell) { return cell == 0; }))
    {
        std::fprintf(stderr, "make-icons: %s holds no picture\n", path);
        return false;
    }
    return true;
}

// The sizes from `first` on; empty after a message when one is not a number
// from 1 to `largest`.
std::vector<int> ReadSizes(int argc, char** argv, int first, long largest)
{
    std::vector<int> sizes;
    for (int i = first; i < argc; i++)
    {
        char* end = nullptr;
        const long size = std::strtol(argv[i], &end, 10);
        if (end == argv[i] || *end != '\0' || size < 1 || size > largest)
        {
            std::fprintf(stderr, "make-icons: size %s is not a number from 1 to %ld\n", argv[i], largest);
            return {};
        }
        sizes.push_back(static_cast<int>(size));
    }
    return sizes;
}
}  // namespace

int main(int argc, char** argv)
{
    const Utf8Arguments arguments(argc, argv);
    const bool ico = arguments.argc > 1 && std::strcmp(arguments.argv[1], "--ico") == 0;
    const int first = ico ? 2 : 1;  // PICTURE, then OUTDIR or FILE, then sizes
    if (arguments.argc < first + 3)
    {
        return Usage();
    }
    const std::vector<int> sizes = ReadSizes(arguments.argc, arguments.argv, first + 2, ico ? 256 : 1024);
    if (sizes.empty())
    {
        return 2;
    }
    if (!ReadPicture(arguments.argv[first]))
    {
        return 1;
    }
    const std::string out = arguments.argv[first + 1];

    std::string why;
    if (ico)
    {
        const std::vector<uint8_t> file = EncodeIconFile(sizes);
        if (!WriteWholeFile(out, file.data(), file.size(), false, &why))
        {
            std::fprintf(stderr, "make-icons: cannot write %s: %s\n", out.c_str(), why.c_str());
            return 1;
        }
        return 0;
    }
    for (int size : sizes)
    {
        const std::string side = std::to_string(size);
        const fs::path folder = fs::u8path(out) / (side + "x" + side) / "apps";
        const std::string name = (folder / "mirelantha.png").u8string();
        std::error_code error;
        fs::create_directories(folder, error);
        if (!WritePngFile(name, size, size, 4, RenderIcon(size).data(), false, &why))
        {
            std::fprintf(stderr, "make-icons: cannot write %s: %s\n", name.c_str(), why.c_str());
            return 1;
        }
    }
    return 0;
}
