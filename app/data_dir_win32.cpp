// The program's own file on Windows, converted to the narrow code page the C
// library opens files with. A path that code page cannot spell is given up on
// rather than turned into the name of some other file.
#include <windows.h>

#include <string>

#include "app/data_dir.h"

std::string ProgramFile()
{
    std::wstring wide(MAX_PATH, L'\0');
    for (;;)
    {
        DWORD length = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
        if (length == 0)
        {
            return {};
        }
        if (length < wide.size())
        {
            wide.resize(length);
            break;
        }
        wide.resize(wide.size() * 2);  // cut off: try a larger buffer
    }

    BOOL lossy = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (size <= 1 || lossy)
    {
        return {};
    }
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, narrow.data(), size, nullptr, &lossy);
    narrow.resize(static_cast<size_t>(size) - 1);
    return lossy ? std::string() : narrow;
}
