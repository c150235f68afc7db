// Renders the game's icon from its title picture at the sizes the desktop's
// icon theme wants, as the build does for the Linux package:
//
//     make-icons PICTURE OUTDIR SIZE...
//
// writes OUTDIR/<SIZE>x<SIZE>/apps/mirelantha.png for each SIZE (1..1024).
// Exits 2 on a usage error, 1 when the picture is missing or empty or a file
// cannot be written.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "gfx/icon.h"
#include "gfx/png_file.h"
#include "gfx/title_picture.h"

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc < 4)
    {
        std::fprintf(stderr, "usage: make-icons PICTURE OUTDIR SIZE...\n");
        return 2;
    }

    std::ifstream picture(argv[1]);
    if (!picture)
    {
        std::fprintf(stderr, "make-icons: cannot read %s\n", argv[1]);
        return 1;
    }
    ReadTitlePicture(picture);
    const int32_t* cells = &TitlePicture[0][0];
    if (std::all_of(cells, cells + TitlePictureSize * TitlePictureSize, [](int32_t cell) { return cell == 0; }))
    {
        std::fprintf(stderr, "make-icons: %s holds no picture\n", argv[1]);
        return 1;
    }

    for (int i = 3; i < argc; i++)
    {
        char* end = nullptr;
        const long size = std::strtol(argv[i], &end, 10);
        if (end == argv[i] || *end != '\0' || size < 1 || size > 1024)
        {
            std::fprintf(stderr, "make-icons: size %s is not a number from 1 to 1024\n", argv[i]);
            return 2;
        }
        const std::string side = std::to_string(size);
        const fs::path folder = fs::path(argv[2]) / (side + "x" + side) / "apps";
        const fs::path name = folder / "mirelantha.png";
        std::error_code error;
        fs::create_directories(folder, error);
        std::string why;
        if (!WritePngFile(name.string(), static_cast<int32_t>(size), static_cast<int32_t>(size), 4,
                          RenderIcon(static_cast<int>(size)).data(), false, &why))
        {
            std::fprintf(stderr, "make-icons: cannot write %s: %s\n", name.c_str(), why.c_str());
            return 1;
        }
    }
    return 0;
}
