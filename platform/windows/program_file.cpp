// The program's own file on Windows, in UTF-8 like every name inside the
// program: any folder the player unpacked the game into can be spelled.
#include <windows.h>

#include <string>

#include "platform/program_file.h"
#include "platform/windows/utf8.h"

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
        if (wide.size() >= 32768)
        {
            return {};  // longer than any Windows path
        }
        wide.resize(wide.size() * 2);  // cut off: try a larger buffer
    }
    return Utf8FromWide(wide);
}
