// The file layer on Windows (see file_io.h).
//
// Reads refuse anything that is not a disk file (GetFileType), so a named
// pipe or a device is never read. New files are created with CREATE_NEW
// under a temporary name and published with MoveFileExW: without
// MOVEFILE_REPLACE_EXISTING when an existing name must be kept, with it
// otherwise. Names are UTF-8 and reach Windows through the wide calls.
#include "platform/file_io.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/windows/utf8.h"

namespace
{
std::atomic<uint32_t> TemporaryCounter{0};

std::wstring Wide(const std::string& text)
{
    return WideFromUtf8(text);
}

// The system's words for the last error, in UTF-8 like every other text.
std::string LastErrorText()
{
    const DWORD error = GetLastError();
    wchar_t text[256] = L"";
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                  error, 0, text, sizeof(text) / sizeof(text[0]), nullptr);
    std::string why = Utf8FromWide(text, length);
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == '.' || why.back() == ' '))
    {
        why.pop_back();
    }
    return why.empty() ? "error " + std::to_string(error) : why;
}

std::string TemporaryNameBeside(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char suffix[48];
    std::snprintf(suffix, sizeof(suffix), ".%lu.%u.part", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned>(TemporaryCounter++));
    return directory + "." + name + suffix;
}

// Whether a file may go under the name: kept names must be free; replaced
// ones free or a plain file (never a link, a directory or a device).
bool NameUsable(const std::string& path, bool keepExisting, std::string& why)
{
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
    {
        return true;
    }
    if (keepExisting)
    {
        why = "the name is taken";
        return false;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
    {
        why = "the name is taken by something that is not a regular file";
        return false;
    }
    return true;
}
}  // namespace

ReadStatus ReadRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>& bytes, bool prefixOnly)
{
    bytes.clear();
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        {
            return ReadStatus::Missing;
        }
        // Directories cannot be opened without backup semantics.
        DWORD attributes = GetFileAttributesW(Wide(path).c_str());
        bool directory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        return directory ? ReadStatus::NotRegular : ReadStatus::Failed;
    }
    ReadStatus status = ReadStatus::Read;
    LARGE_INTEGER size;
    if (GetFileType(file) != FILE_TYPE_DISK)
    {
        status = ReadStatus::NotRegular;
    }
    else if (!GetFileSizeEx(file, &size))
    {
        status = ReadStatus::Failed;
    }
    else if (static_cast<uint64_t>(size.QuadPart) > maxBytes && !prefixOnly)
    {
        status = ReadStatus::TooLarge;
    }
    else
    {
        bytes.reserve(std::min<size_t>(static_cast<size_t>(size.QuadPart), maxBytes));
        uint8_t chunk[65536];
        DWORD got = 0;
        for (;;)
        {
            if (!ReadFile(file, chunk, sizeof(chunk), &got, nullptr))
            {
                status = ReadStatus::Failed;
                break;
            }
            if (got == 0)
            {
                break;
            }
            if (bytes.size() + got > maxBytes)
            {
                if (prefixOnly)
                {
                    bytes.insert(bytes.end(), chunk, chunk + (maxBytes - bytes.size()));
                }
                else
                {
                    status = ReadStatus::TooLarge;
                }
                break;
            }
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
    }
    CloseHandle(file);
    if (status != ReadStatus::Read)
    {
        std::vector<uint8_t>().swap(bytes);
    }
    return status;
}

bool NameTaken(const char* path)
{
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES ||
           (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND);
}

bool IsDirectory(const char* path)
{
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool NewFile::open(const std::string& path, bool keepExisting)
{
    discard();
    finalPath = path;
    keep = keepExisting;
    why.clear();
    // A kept name is only tested when published (see claim()).
    if (!keep && !NameUsable(path, keep, why))
    {
        return false;
    }
    for (int attempt = 0; attempt < 16; attempt++)
    {
        temporaryPath = TemporaryNameBeside(path);
        HANDLE file = CreateFileW(Wide(temporaryPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
        {
            handle = reinterpret_cast<intptr_t>(file);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
        {
            break;
        }
    }
    why = LastErrorText();
    temporaryPath.clear();
    return false;
}

bool NewFile::write(const void* data, size_t size)
{
    if (handle < 0)
    {
        return false;
    }
    const uint8_t* at = static_cast<const uint8_t*>(data);
    while (size > 0)
    {
        DWORD part = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD put = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(handle), at, part, &put, nullptr) || put == 0)
        {
            why = LastErrorText();
            discard();
            return false;
        }
        at += put;
        size -= put;
    }
    return true;
}

bool NewFile::publish()
{
    if (handle < 0)
    {
        return false;
    }
    if (!CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle, -1))))
    {
        why = LastErrorText();
        discard();
        return false;
    }
    DWORD flags = keep ? 0 : MOVEFILE_REPLACE_EXISTING;
    bool published = NameUsable(finalPath, keep, why) &&
                     MoveFileExW(Wide(temporaryPath).c_str(), Wide(finalPath).c_str(), flags) != 0;
    if (!published)
    {
        if (why.empty())
        {
            why = LastErrorText();
        }
        DeleteFileW(Wide(temporaryPath).c_str());
    }
    temporaryPath.clear();
    return published;
}

NewFile::Claim NewFile::claim(const std::string& path)
{
    if (!keep || temporaryPath.empty())
    {
        why = "no file to publish";
        discard();
        return Claim::Failed;
    }
    if (handle >= 0 && !CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle, -1))))
    {
        why = LastErrorText();
        discard();
        return Claim::Failed;
    }
    // Without MOVEFILE_REPLACE_EXISTING the move refuses a taken name.
    if (MoveFileExW(Wide(temporaryPath).c_str(), Wide(path).c_str(), 0))
    {
        temporaryPath.clear();
        finalPath = path;
        return Claim::Published;
    }
    DWORD error = GetLastError();
    why = LastErrorText();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ||
        GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES)
    {
        why.clear();
        return Claim::NameTaken;
    }
    discard();
    return Claim::Failed;
}

void NewFile::discard()
{
    if (handle >= 0)
    {
        CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle, -1)));
    }
    if (!temporaryPath.empty())
    {
        DeleteFileW(Wide(temporaryPath).c_str());
        temporaryPath.clear();
    }
}
