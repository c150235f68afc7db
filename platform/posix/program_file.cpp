// The program's own file on Linux: the link the kernel keeps for the process.
// It is already resolved, so a program started through a symbolic link still
// finds the data installed beside its real file.
#include <unistd.h>

#include <string>

#include "platform/program_file.h"

std::string ProgramFile()
{
    std::string path(256, '\0');
    for (;;)
    {
        ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length <= 0)
        {
            return {};  // no /proc: the working directory is all we have
        }
        if (static_cast<size_t>(length) < path.size())
        {
            path.resize(static_cast<size_t>(length));
            return path;
        }
        path.resize(path.size() * 2);  // may have been cut off: try a larger buffer
    }
}
