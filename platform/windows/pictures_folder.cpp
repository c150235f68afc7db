// The pictures folder on Windows: the Pictures known folder, in UTF-8 as the
// file layer takes names.
#include <windows.h>
#include <shlobj.h>  // Required for: SHGetKnownFolderPath()

#include <cwchar>
#include <string>

#include "platform/pictures_folder.h"
#include "platform/windows/utf8.h"

namespace
{
// FOLDERID_Pictures, spelt out so that no GUID library is needed.
const GUID PicturesFolderId = {0x33e28130, 0x4e1e, 0x4676, {0x83, 0x5a, 0x98, 0x39, 0x5c, 0x3b, 0xc3, 0xbb}};
}

std::string PicturesFolder()
{
    PWSTR wide = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(PicturesFolderId, 0, nullptr, &wide)) && wide)
    {
        folder = Utf8FromWide(wide, wcslen(wide));
    }
    CoTaskMemFree(wide);
    return folder;
}
