// Publishing a new file in the browser and under node (see
// posix/file_io.cpp, which the browser build takes for everything else). The
// file system has no hard links, so a name that must be kept is checked just
// before the rename: nothing else runs between the two, the page having a
// single thread. And in a page, whose file system lives only as long as the
// page, a file published here is handed to the page, which offers it to the
// player as a download and removes it again; under node, which has no page,
// the file simply stays where it was written.
#include <emscripten.h>

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/file_io.h"
#include "platform/posix/file_io.h"

namespace
{
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
