// A tiny tmpfs of a few kilobytes, mounted for one test, to see what a program
// leaves behind when the disk runs full. Mounting needs root; where it is
// impossible the test is skipped with a message. Not on Windows, which mounts
// nothing for a test. Test thread.
#pragma once

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_platform.h"

class SmallDisk
{
public:
    ScratchFolder mountPoint{"mirelantha-disk-"};
    const std::filesystem::path path = mountPoint.path;
    bool mounted = false;
    std::string whyNot;

    // A file system of `bytes` (whole pages; a 4096-byte page at least);
    // readOnly mounts it so that nothing, not even root, can write there.
    explicit SmallDisk(size_t bytes, bool readOnly = false)
    {
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        mounted = mount("mirelantha-test", path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0),
                        options.c_str()) == 0;
        whyNot = mounted ? "" : std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    }

    ~SmallDisk()
    {
        if (mounted)
        {
            umount2(path.c_str(), MNT_DETACH);
        }
    }

    // Every file on the disk.
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path))
        {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
};

#define SKIP_WITHOUT_SMALL_DISK(disk)                      \
    if (!(disk).mounted)                                   \
    {                                                      \
        GTEST_SKIP() << "no small disk: " << (disk).whyNot; \
    }
