// The platform-independent part of the file layer (see file_io.h).
#include "platform/file_io.h"

const char* ReadStatusText(ReadStatus status)
{
    switch (status)
    {
    case ReadStatus::Read:
        return "read";
    case ReadStatus::Missing:
        return "does not exist";
    case ReadStatus::NotRegular:
        return "is not a regular file";
    case ReadStatus::TooLarge:
        return "is too large";
    case ReadStatus::Failed:
        break;
    }
    return "cannot be read";
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size, bool keepExisting,
                    std::string* why)
{
    NewFile file;
    bool written = file.open(path, keepExisting) && file.write(data, size) && file.publish();
    if (!written && why)
    {
        *why = file.failure();
    }
    return written;
}
