// UTF-8 and UTF-16 conversions for the Win32 calls (see utf8_win32.h).
#include "platform/windows/utf8.h"

#include <windows.h>

std::wstring WideFromUtf8(const std::string& text)
{
    if (text.empty())
    {
        return std::wstring();
    }
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
    {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

std::string Utf8FromWide(const wchar_t* text, size_t length)
{
    if (length == 0)
    {
        return std::string();
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (size <= 0)
    {
        return std::string();
    }
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), narrow.data(), size, nullptr, nullptr);
    return narrow;
}

std::string Utf8FromWide(const std::wstring& text)
{
    return Utf8FromWide(text.data(), text.size());
}
