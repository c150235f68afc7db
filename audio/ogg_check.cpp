// Ogg page walk and Vorbis header sanity check, run by the sample loader
// thread before each file is decoded. See ogg_check.h for why.
#include "audio/ogg_check.h"

#include "platform/file_io.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
constexpr size_t PageHeaderBytes = 27;
constexpr size_t ChecksumOffset = 22;

constexpr std::array<uint32_t, 256> MakeChecksumTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; i++)
    {
        uint32_t r = i << 24;
        for (int bit = 0; bit < 8; bit++)
        {
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : (r << 1);
        }
        table[i] = r;
    }
    return table;
}
constexpr std::array<uint32_t, 256> ChecksumTable = MakeChecksumTable();

uint32_t ReadLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Collects the first packets of one logical stream from its pages.
struct PacketCollector
{
    std::vector<uint8_t> current;
    std::vector<std::vector<uint8_t>> packets;
    size_t wanted;

    bool done() const { return packets.size() >= wanted; }

    void addSegments(const uint8_t* table, int count, const uint8_t* body)
    {
        for (int i = 0; i < count && !done(); i++)
        {
            current.insert(current.end(), body, body + table[i]);
            body += table[i];
            if (table[i] < 255)
            {
                packets.push_back(std::move(current));
                current.clear();
            }
        }
    }
};

bool IdentificationHeaderSound(const std::vector<uint8_t>& p)
{
    // type, "vorbis", version, channels, rate, three bitrates, block sizes, framing
    if (p.size() < 30 || p[0] != 1 || std::memcmp(&p[1], "vorbis", 6) != 0)
    {
        return false;
    }
    uint32_t version = ReadLe32(&p[7]);
    int channels = p[11];
    uint32_t rate = ReadLe32(&p[12]);
    int shortBlock = p[28] & 0x0f;
    int longBlock = p[28] >> 4;
    bool framing = (p[29] & 1) != 0;
    return version == 0 && channels >= 1 && rate >= 1 && shortBlock >= 6 && longBlock <= 13 &&
           shortBlock <= longBlock && framing;
}

bool CommentHeaderSound(const std::vector<uint8_t>& p)
{
    if (p.size() < 7 + 4 || p[0] != 3 || std::memcmp(&p[1], "vorbis", 6) != 0)
    {
        return false;
    }
    size_t at = 7;
    uint64_t vendorLength = ReadLe32(&p[at]);
    at += 4;
    if (vendorLength > p.size() - at)
    {
        return false;
    }
    at += static_cast<size_t>(vendorLength);
    if (p.size() - at < 4)
    {
        return false;
    }
    uint64_t count = ReadLe32(&p[at]);
    at += 4;
    // Every comment takes at least its four length bytes.
    if (count > (p.size() - at) / 4)
    {
        return false;
    }
    for (uint64_t i = 0; i < count; i++)
    {
        if (p.size() - at < 4)
        {
            return false;
        }
        uint64_t length = ReadLe32(&p[at]);
        at += 4;
        if (length > p.size() - at)
        {
            return false;
        }
        at += static_cast<size_t>(length);
    }
    return true;
}
}  // namespace

uint32_t OggChecksum(const uint8_t* data, size_t size)
{
    uint32_t crc = 0;
    for (size_t i = 0; i < size; i++)
    {
        crc = (crc << 8) ^ ChecksumTable[((crc >> 24) ^ data[i]) & 0xff];
    }
    return crc;
}

bool OggVorbisLooksSound(const uint8_t* data, size_t size)
{
    PacketCollector headers{{}, {}, 2};
    uint32_t serial = 0;
    bool first = true;
    std::vector<uint8_t> page;

    size_t at = 0;
    while (at < size)
    {
        if (size - at < PageHeaderBytes || std::memcmp(data + at, "OggS", 4) != 0 ||
            data[at + 4] != 0)
        {
            return false;
        }
        int segments = data[at + 26];
        if (size - at < PageHeaderBytes + segments)
        {
            return false;
        }
        const uint8_t* table = data + at + PageHeaderBytes;
        size_t bodyBytes = 0;
        for (int i = 0; i < segments; i++)
        {
            bodyBytes += table[i];
        }
        size_t pageBytes = PageHeaderBytes + segments + bodyBytes;
        if (size - at < pageBytes)
        {
            return false;  // truncated page
        }

        page.assign(data + at, data + at + pageBytes);
        std::memset(&page[ChecksumOffset], 0, 4);
        if (OggChecksum(page.data(), page.size()) != ReadLe32(data + at + ChecksumOffset))
        {
            return false;
        }

        uint32_t pageSerial = ReadLe32(data + at + 14);
        if (first)
        {
            serial = pageSerial;
            first = false;
        }
        if (pageSerial == serial && !headers.done())
        {
            headers.addSegments(table, segments, table + segments);
        }
        at += pageBytes;
    }

    return headers.done() && IdentificationHeaderSound(headers.packets[0]) &&
           CommentHeaderSound(headers.packets[1]);
}

bool OggVorbisFileLooksSound(const char* path)
{
    std::vector<uint8_t> bytes;
    return ReadRegularFile(path, MaxSampleFileBytes, bytes) == ReadStatus::Read &&
           OggVorbisLooksSound(bytes.data(), bytes.size());
}
