// The file layer on POSIX systems (see file_io.h).
//
// Reads open with O_NONBLOCK, so that a FIFO does not wait for a writer, and
// fstat the descriptor they opened, so the check and the read concern the
// same file. New files are created with O_EXCL (which never follows a link)
// under a temporary name and published with link() when an existing name must
// be kept (link fails rather than replace) or rename() when it may be
// replaced (rename replaces the entry, not what a link leads to). File systems
// without links (FAT on a memory stick) publish kept names with
// renameat2(RENAME_NOREPLACE), which refuses a taken name just as link does.
//
// The browser's C library is a POSIX one too: its build takes this file, and
// only publishing differs (posix/file_publish.cpp, web/file_publish.cpp).
#include "platform/file_io.h"
#include "platform/posix/file_io.h"

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
}  // namespace

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
    // A kept name is only tested when published: whoever takes it meanwhile
    // keeps it, and claim() can still find the file another name.
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
