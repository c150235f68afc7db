// PNG encoding into memory, then one whole-file write.
#include "gfx/png_file.h"

#include <vector>

#include <stb_image_write.h>  // Required for: stbi_write_png_to_func()

#include "platform/file_io.h"

namespace
{
void AppendBytes(void* context, void* data, int size)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    static_cast<std::vector<uint8_t>*>(context)->insert(static_cast<std::vector<uint8_t>*>(context)->end(),
                                                          bytes, bytes + size);
}
}  // namespace

bool EncodePng(int32_t width, int32_t height, int channels, const uint8_t* pixels, std::vector<uint8_t>& png)
{
    png.clear();
    return width > 0 && height > 0 &&
           stbi_write_png_to_func(AppendBytes, &png, width, height, channels, pixels, width * channels);
}

bool WritePngFile(const std::string& path, int32_t width, int32_t height, int channels,
                  const uint8_t* pixels, bool keepExisting, std::string* why)
{
    std::vector<uint8_t> encoded;
    if (!EncodePng(width, height, channels, pixels, encoded))
    {
        if (why)
        {
            *why = "cannot encode the picture";
        }
        return false;
    }
    return WriteWholeFile(path, encoded.data(), encoded.size(), keepExisting, why);
}
