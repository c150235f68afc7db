// The game's program file as Windows reads it, with Windows' own calls: the
// icon Explorer, the taskbar and the window show, the details of its
// Properties, and the manifest Windows reads before the program starts.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows/utf8.h"

namespace
{
const std::string Program = MIRELANTHA_BINARY_DIR "/mirelantha.exe";

// The program loaded as data, never run.
class Resources : public ::testing::Test
{
protected:
    HMODULE module = nullptr;

    void SetUp() override
    {
        module = LoadLibraryExW(WideFromUtf8(Program).c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << Program;
    }
    void TearDown() override
    {
        if (module != nullptr)
        {
            FreeLibrary(module);
        }
    }

    std::string Bytes(const wchar_t* name, const wchar_t* type) const
    {
        HRSRC found = FindResourceW(module, name, type);
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        return data ? std::string(data, SizeofResource(module, found)) : std::string();
    }
};

TEST_F(Resources, TheIconHasEveryUsualSizeAndLoadsAtEach)
{
    // The first icon group, which Explorer shows, is the one SDL gives the
    // window class.
    std::wstring first;
    EnumResourceNamesW(
        module, MAKEINTRESOURCEW(14),  // RT_GROUP_ICON
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
            *reinterpret_cast<std::wstring*>(found) = IS_INTRESOURCE(name) ? L"#" : name;
            return FALSE;
        },
        reinterpret_cast<LONG_PTR>(&first));
    EXPECT_EQ(Utf8FromWide(first), "SDL_APP");

    const std::string group = Bytes(L"SDL_app", MAKEINTRESOURCEW(14));
    ASSERT_GE(group.size(), 6u);
    const auto* directory = reinterpret_cast<const uint8_t*>(group.data());
    const int count = directory[4] | directory[5] << 8;
    ASSERT_EQ(group.size(), 6u + 14u * count);
    std::vector<int> sizes;
    for (int i = 0; i < count; i++)
    {
        const uint8_t* entry = directory + 6 + 14 * i;
        sizes.push_back(entry[0] == 0 ? 256 : entry[0]);
        EXPECT_EQ(entry[6] | entry[7] << 8, 32) << "bits per pixel";
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));

    // Each size loads as Windows loads it for a shell view, with colour.
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
}

TEST_F(Resources, PropertiesShowTheProductItsVersionAndItsLicence)
{
    const std::wstring program = WideFromUtf8(Program);
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(program.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const std::string version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(version, MIRELANTHA_VERSION);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT characters = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        return VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &characters) && value
                   ? Utf8FromWide(value)
                   : std::string();
    };
    EXPECT_EQ(text(L"ProductName"), "mirelantha");
    EXPECT_EQ(text(L"ProductVersion"), MIRELANTHA_VERSION);
    EXPECT_EQ(text(L"FileVersion"), MIRELANTHA_VERSION);
    EXPECT_EQ(text(L"OriginalFilename"), "mirelantha.exe");
    EXPECT_NE(text(L"FileDescription").find("garden game"), std::string::npos);
    EXPECT_EQ(text(L"LegalCopyright").rfind("Copyright (c) 20", 0), 0u) << text(L"LegalCopyright");
    EXPECT_NE(text(L"LegalCopyright").find("zlib"), std::string::npos);
}

TEST_F(Resources, TheManifestAsksForPerMonitorDpiAndNamesWindowsUpTo11)
{
    const std::string manifest = Bytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_FALSE(manifest.empty()) << "no manifest";
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos) << "Windows 10 and 11";
    EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos) << "Windows 7";
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("version=\"" MIRELANTHA_VERSION ".0\""), std::string::npos);
}

TEST(Utf8, NamesSurviveTheWayToWindowsAndBack)
{
    const std::string names[] = {u8"Сад", u8"ゲーム 庭", u8"\U0001F331", u8"\u2019\u20AC\u0152", "plain"};
    for (const std::string& name : names)
    {
        EXPECT_EQ(Utf8FromWide(WideFromUtf8(name)), name);
    }
    EXPECT_EQ(WideFromUtf8(u8"\U0001F331"), L"\U0001F331") << "a surrogate pair";
    EXPECT_TRUE(WideFromUtf8("\xC3(").empty()) << "not UTF-8: names no file";
    EXPECT_TRUE(WideFromUtf8("").empty());
}
}  // namespace
