// What the POSIX file layer (posix/file_io.cpp) shares with the files that
// publish new files on each POSIX system (posix/file_publish.cpp,
// web/file_publish.cpp). Any thread.
#pragma once

#include <string>

// Whether a file may go under the name: kept names must be free; replaced
// ones free or a regular file (never a link, a device or a FIFO). Sets why
// when not.
bool NameUsable(const std::string& path, bool keepExisting, std::string& why);
