// The arguments on Windows: the wide command line split as the C runtime
// splits it (CommandLineToArgvW), each argument in UTF-8 (see command_line.h).
#include "platform/command_line.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/windows/utf8.h"

Utf8Arguments::Utf8Arguments(int count, char** given)
{
    int wideCount = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    if (wide != nullptr)
    {
        for (int i = 0; i < wideCount; i++)
        {
            text.push_back(Utf8FromWide(wide[i], wcslen(wide[i])));
        }
        LocalFree(wide);
    }
    else
    {
        text.assign(given, given + count);  // out of memory: what main was given is better than nothing
    }
    point();
}
