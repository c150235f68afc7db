// The file layer in the browser and under node (see file_io.h).
//
// As on POSIX systems (file_io_posix.cpp), reads fstat the descriptor they
// opened and new files are created with O_EXCL under a temporary name, then
// renamed. Two things differ. The file system has no hard links, so a name
// that must be kept is checked just before the rename: nothing else runs
// between the two, the page having a single thread. And in a page, whose
// file system lives only as long as the page, a file published here is
// handed to the page, which offers it to the player as a download and
// removes it again; under node, which has no page, the file simply stays
// where it was written.
#include "gfx/file_io.h"

#include <emscripten.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace
{
// Temporary names differ by process and by file, so two writers never meet.
std::atomic<uint32_t> TemporaryCounter{0};

std::string TemporaryNameBeside(const std::string& path)
{
    size_t slash = path.rfind('/');
    std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char suffix[48];
    std::snprintf(suffix, sizeof(suffix), ".%ld.%u.part", static_cast<long>(getpid()),
                  static_cast<unsigned>(TemporaryCounter++));
    return directory + "." + name + suffix;
}

// Whether a file may go under the name: kept names must be free; replaced
// ones free or a regular file (never a link, a device or a FIFO).
bool NameUsable(const std::string& path, bool keepExisting, std::string& why)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
    {
        return true;
    }
    if (keepExisting)
    {
        why = "the name is taken";
        return false;
    }
    if (!S_ISREG(info.st_mode))
    {
        why = "the name is taken by something that is not a regular file";
        return false;
    }
    return true;
}
// Hands a published file to the page, which offers it as a download; under
// node there is no page and the file stays where it is.
void TellPagePublished(const std::string& path)
{
    // clang-format off
    EM_ASM({
        if (typeof Module !== 'undefined' && Module['onFilePublished'])
            Module['onFilePublished'](UTF8ToString($0));
    }, path.c_str());
    // clang-format on
}
}  // namespace

ReadStatus ReadRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>& bytes, bool prefixOnly)
{
    bytes.clear();
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
    {
        return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed;
    }
    ReadStatus status = ReadStatus::Read;
    struct stat info;
    if (fstat(fd, &info) != 0)
    {
        status = ReadStatus::Failed;
    }
    else if (!S_ISREG(info.st_mode))
    {
        status = ReadStatus::NotRegular;
    }
    else if (static_cast<uint64_t>(info.st_size) > maxBytes && !prefixOnly)
    {
        status = ReadStatus::TooLarge;
    }
    else
    {
        // The size is a hint: the file may grow while we read, so the bound
        // is checked on what arrives.
        bytes.reserve(std::min<size_t>(static_cast<size_t>(info.st_size), maxBytes));
        uint8_t chunk[65536];
        for (;;)
        {
            ssize_t got = ::read(fd, chunk, sizeof(chunk));
            if (got < 0 && errno == EINTR)
            {
                continue;
            }
            if (got < 0)
            {
                status = ReadStatus::Failed;
                break;
            }
            if (got == 0)
            {
                break;
            }
            if (bytes.size() + static_cast<size_t>(got) > maxBytes)
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
    ::close(fd);
    if (status != ReadStatus::Read)
    {
        std::vector<uint8_t>().swap(bytes);
    }
    return status;
}

bool NameTaken(const char* path)
{
    struct stat info;
    return lstat(path, &info) == 0 || errno != ENOENT;
}

bool IsDirectory(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool NewFile::open(const std::string& path, bool keepExisting)
{
    discard();
    finalPath = path;
    keep = keepExisting;
    why.clear();
    // A name that must be kept is looked at when the file is published:
    // claim() can still find the file another name.
    if (!keep && !NameUsable(path, keep, why))
    {
        return false;
    }
    for (int attempt = 0; attempt < 16; attempt++)
    {
        temporaryPath = TemporaryNameBeside(path);
        int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0)
        {
            handle = fd;
            return true;
        }
        if (errno != EEXIST)
        {
            break;
        }
    }
    why = std::strerror(errno);
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
        ssize_t put = ::write(static_cast<int>(handle), at, size);
        if (put < 0 && errno == EINTR)
        {
            continue;
        }
        if (put <= 0)
        {
            why = put < 0 ? std::strerror(errno) : "nothing written";
            discard();
            return false;
        }
        at += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

bool NewFile::publish()
{
    if (handle < 0)
    {
        return false;
    }
    // Some file systems report a full disk only when the file is closed.
    int fd = static_cast<int>(std::exchange(handle, -1));
    if (::close(fd) != 0)
    {
        why = std::strerror(errno);
        discard();
        return false;
    }
    // The name is checked again just before the rename: nothing can take it
    // in between on the page's single thread.
    bool published = false;
    if (NameUsable(finalPath, keep, why))
    {
        published = ::rename(temporaryPath.c_str(), finalPath.c_str()) == 0;
    }
    if (!published && why.empty())
    {
        why = std::strerror(errno);
    }
    if (!published)
    {
        ::unlink(temporaryPath.c_str());
    }
    temporaryPath.clear();
    if (published)
    {
        TellPagePublished(finalPath);
    }
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
    // Some file systems report a full disk only when the file is closed.
    if (handle >= 0 && ::close(static_cast<int>(std::exchange(handle, -1))) != 0)
    {
        why = std::strerror(errno);
        discard();
        return Claim::Failed;
    }
    // The look and the rename are one step here: nothing else runs between
    // them on the page's single thread.
    struct stat info;
    if (lstat(path.c_str(), &info) == 0)
    {
        return Claim::NameTaken;
    }
    if (::rename(temporaryPath.c_str(), path.c_str()) != 0)
    {
        why = std::strerror(errno);
        discard();
        return Claim::Failed;
    }
    temporaryPath.clear();
    finalPath = path;
    TellPagePublished(finalPath);
    return Claim::Published;
}

void NewFile::discard()
{
    if (handle >= 0)
    {
        ::close(static_cast<int>(std::exchange(handle, -1)));
    }
    if (!temporaryPath.empty())
    {
        ::unlink(temporaryPath.c_str());
        temporaryPath.clear();
    }
}
