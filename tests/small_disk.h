// A tiny tmpfs, mounted for one test and filled up to a few kilobytes, to see
// what a program leaves behind when the disk runs full. Mounting needs root;
// where it is impossible the test is skipped with a message. Test thread.
#pragma once

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/mount.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

class SmallDisk
{
public:
    std::filesystem::path path;
    bool mounted = false;
    std::string whyNot;

    // A 256 KiB file system holding `freeBytes` (about; whole pages) free.
    explicit SmallDisk(size_t freeBytes)
    {
#ifdef _WIN32
        (void)freeBytes;
        whyNot = "Windows mounts no file system for a test";
#else
        char pattern[] = "/tmp/mirelantha-disk-XXXXXX";
        if (!mkdtemp(pattern))
        {
            whyNot = "no scratch directory";
            return;
        }
        path = pattern;
        if (mount("mirelantha-test", path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k,mode=0755") != 0)
        {
            whyNot = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
            return;
        }
        mounted = true;
        // Fill it, then give back what the test wants free.
        std::FILE* filler = std::fopen((path / "filler").c_str(), "wb");
        std::vector<char> page(4096, 'f');
        while (filler && std::fwrite(page.data(), 1, page.size(), filler) == page.size() &&
               std::fflush(filler) == 0)
        {
        }
        if (filler)
        {
            std::fclose(filler);
        }
        std::error_code ignored;
        auto size = std::filesystem::file_size(path / "filler", ignored);
        std::filesystem::resize_file(path / "filler", size > freeBytes ? size - freeBytes : 0, ignored);
#endif
    }

    ~SmallDisk()
    {
#ifndef _WIN32
        if (mounted)
        {
            umount2(path.c_str(), MNT_DETACH);
        }
        if (!path.empty())
        {
            rmdir(path.c_str());
        }
#endif
    }

    // Every file on the disk but the filler.
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path))
        {
            if (entry.path().filename() != "filler")
            {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }
};

#define SKIP_WITHOUT_SMALL_DISK(disk)                      \
    if (!(disk).mounted)                                   \
    {                                                      \
        GTEST_SKIP() << "no small disk: " << (disk).whyNot; \
    }
