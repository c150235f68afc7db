// Publishing a new file on POSIX systems (see posix/file_io.cpp): link() for
// a name that must be kept, which fails rather than replace, and rename()
// for one that may be replaced; renameat2(RENAME_NOREPLACE) where the file
// system has no links.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/file_io.h"
#include "platform/posix/file_io.h"

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
    // link() never replaces; rename() replaces the entry itself, and only
    // after it was seen to be a regular file.
    bool published = false;
    if (keep)
    {
        published = ::link(temporaryPath.c_str(), finalPath.c_str()) == 0;
    }
    else if (NameUsable(finalPath, keep, why))
    {
        published = ::rename(temporaryPath.c_str(), finalPath.c_str()) == 0;
    }
    if (!published && why.empty())
    {
        why = std::strerror(errno);
    }
    if (!published || keep)
    {
        ::unlink(temporaryPath.c_str());
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
    // Some file systems report a full disk only when the file is closed.
    if (handle >= 0 && ::close(static_cast<int>(std::exchange(handle, -1))) != 0)
    {
        why = std::strerror(errno);
        discard();
        return Claim::Failed;
    }
    bool linked = ::link(temporaryPath.c_str(), path.c_str()) == 0;
    bool renamed = false;
    if (!linked && (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS))
    {
        renamed = ::renameat2(AT_FDCWD, temporaryPath.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0;
    }
    if (linked || renamed)
    {
        if (linked)
        {
            ::unlink(temporaryPath.c_str());
        }
        temporaryPath.clear();
        finalPath = path;
        return Claim::Published;
    }
    if (errno == EEXIST)
    {
        return Claim::NameTaken;
    }
    why = std::strerror(errno);
    discard();
    return Claim::Failed;
}
