// The game's program file as Windows reads it, with Windows' own calls: the
// icon Explorer, the taskbar and the window show. (A manifest Windows could
// not read would keep the program from starting, which the end-to-end tests
// would see; the version details are the resource script's own strings.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/windows/utf8.h"

namespace
{
// The first icon group, which Explorer shows, is the one SDL gives the window
// class; Windows loads it at each size a shell view asks for, with colour.
TEST(Resources, TheIconIsSdlsAndLoadsWithColourAtEverySizeAShellViewAsks)
{
    // The program loaded as data, never run.
    const std::string program = MIRELANTHA_BINARY_DIR "/mirelantha.exe";
    HMODULE module = LoadLibraryExW(WideFromUtf8(program).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr) << program;
    std::wstring first;
    EnumResourceNamesW(
        module, MAKEINTRESOURCEW(14),  // RT_GROUP_ICON
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
            *reinterpret_cast<std::wstring*>(found) = IS_INTRESOURCE(name) ? L"#" : name;
            return FALSE;
        },
        reinterpret_cast<LONG_PTR>(&first));
    EXPECT_EQ(Utf8FromWide(first), "SDL_APP");
    for (int size : {16, 32, 48, 256})
    {
        SCOPED_TRACE(size);
        HANDLE icon = LoadImageW(module, L"SDL_app", IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
        BITMAP colour = {};
        ASSERT_TRUE(info.hbmColor != nullptr && GetObjectW(info.hbmColor, sizeof(colour), &colour));
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(static_cast<HICON>(icon));
    }
    FreeLibrary(module);
}

// Names in every script make the way to Windows and back in the end-to-end
// tests (the tools' and the unzipped game's folders); not those that are not
// UTF-8, which must name no file rather than another.
TEST(Utf8, TextThatIsNotUtf8NamesNoFileAndAPairStaysAPair)
{
    EXPECT_TRUE(WideFromUtf8("\xC3(").empty());
    EXPECT_TRUE(WideFromUtf8("").empty());
    EXPECT_EQ(WideFromUtf8(u8"\U0001F331"), L"\U0001F331") << "a surrogate pair";
}
}  // namespace
