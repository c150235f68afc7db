// What the POSIX file layer (file_io_posix.cpp) shares with the files that
// publish new files on each POSIX system (file_publish_posix.cpp,
// file_publish_web.cpp). Any thread.
#pragma once

#include <string>

// Whether a file may go under the name: kept names must be free; replaced
// ones free or a regular file (never a link, a device or a FIFO). Sets why
// when not.
bool NameUsable(const std::string& path, bool keepExisting, std::string& why);
