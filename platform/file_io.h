// Files from outside the program, read and written so that whatever stands
// under a name cannot hang, crash or fool us.
//
// Reading: only regular files are read, and opening never waits (a FIFO or a
// device under a data file's name would otherwise block until someone writes
// to it). Writing: a file is written under a temporary name beside its final
// one and takes that name only once it is whole, so no reader ever sees half
// a file, a failed write leaves nothing behind, and a link under the final
// name is never written through.
//
// Names are UTF-8 on every platform. One implementation per platform
// (posix/file_io.cpp with posix/file_publish.cpp or web/file_publish.cpp,
// windows/file_io.cpp); file_io.cpp beside this header is what they share. Any thread; no globals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class ReadStatus
{
    Read,        // the whole file is in `bytes`
    Missing,     // nothing has that name
    NotRegular,  // a directory, FIFO, device or socket
    TooLarge,    // longer than the caller's bound
    Failed,      // anything else (permissions, I/O errors)
};

// Reads the whole of a regular file of at most maxBytes into `bytes` (emptied
// first, and left empty unless the status is Read). With prefixOnly a longer
// file is not refused: its first maxBytes are read. Links are followed.
ReadStatus ReadRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>& bytes,
                           bool prefixOnly = false);

// What went wrong, for messages: "is not a regular file", ...
const char* ReadStatusText(ReadStatus status);

// True when the name is taken by anything at all: a file, a directory, a
// FIFO, or a link even when it leads nowhere. Nothing is opened.
bool NameTaken(const char* path);

// True when the path names a directory (a link to one counts).
bool IsDirectory(const char* path);

// A file written whole or not at all. open() creates a temporary file beside
// `path`; write() appends; publish() gives it the final name. Whatever fails,
// and a file never published, is removed again.
//
// keepExisting: the name must be free when the file is published, and
// whatever holds it then is kept; claim() publishes such a file under another
// name of the same folder instead. Otherwise a regular file under the name is
// replaced; anything else there (a link, a directory, a device, a FIFO) is
// refused, so nothing is ever written through a link or over a system file.
class NewFile
{
public:
    enum class Claim
    {
        Published,  // the file has the name now
        NameTaken,  // something else has it; the file is still unpublished
        Failed,     // the file is gone (see failure())
    };

    NewFile() = default;
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile() { discard(); }

    bool open(const std::string& path, bool keepExisting);
    bool write(const void* data, size_t size);
    bool publish();

    // For a file opened with keepExisting: publishes it under `path`, a name
    // in the folder given to open(), if nothing has that name. The test and
    // the taking are one step, so of two writers claiming the same name one
    // gets it and the other hears NameTaken and can try the next.
    Claim claim(const std::string& path);

    // Removes the temporary file of an unpublished file.
    void discard();

    // Why the last operation failed, for messages ("No space left on device").
    const std::string& failure() const { return why; }

private:
    std::string finalPath;
    std::string temporaryPath;
    intptr_t handle = -1;
    bool keep = true;
    std::string why;
};

// The whole of `size` bytes as a new file, as NewFile writes it.
bool WriteWholeFile(const std::string& path, const void* data, size_t size, bool keepExisting,
                    std::string* why = nullptr);
