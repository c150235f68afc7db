// The structural check that keeps damaged Ogg files away from the decoder.
#include "audio/ogg_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/samples.h"

namespace
{
std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string SamplePath(const char* name)
{
    return std::string(MIRELANTHA_SOURCE_DIR) + "/dat/samples/" + name + ".ogg";
}

uint32_t Le32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
    {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// Re-seals the page starting at offset so its checksum is right again.
void ResealPage(std::vector<uint8_t>& bytes, size_t offset)
{
    int segments = bytes[offset + 26];
    size_t length = 27 + segments;
    for (int i = 0; i < segments; i++)
    {
        length += bytes[offset + 27 + i];
    }
    PutLe32(&bytes[offset + 22], 0);
    PutLe32(&bytes[offset + 22], OggChecksum(&bytes[offset], length));
}

size_t SecondPageOffset(const std::vector<uint8_t>& bytes)
{
    int segments = bytes[26];
    size_t length = 27 + segments;
    for (int i = 0; i < segments; i++)
    {
        length += bytes[27 + i];
    }
    return length;
}
}  // namespace

TEST(OggCheck, EverySampleThatShipsWithTheGamePasses)
{
    for (const char* name : SampleNames)
    {
        EXPECT_TRUE(OggVorbisFileLooksSound(SamplePath(name).c_str())) << name;
    }
}

TEST(OggCheck, TruncatedFlippedAndMissingFilesAreTurnedAway)
{
    std::vector<uint8_t> bytes = ReadBytes(SamplePath("step"));
    ASSERT_GT(bytes.size(), 200u);
    EXPECT_TRUE(OggVorbisLooksSound(bytes.data(), bytes.size()));

    EXPECT_FALSE(OggVorbisLooksSound(bytes.data(), bytes.size() - 1));
    EXPECT_FALSE(OggVorbisLooksSound(bytes.data(), 0));

    std::vector<uint8_t> flipped = bytes;
    flipped[flipped.size() / 2] ^= 0x10;
    EXPECT_FALSE(OggVorbisLooksSound(flipped.data(), flipped.size()));

    EXPECT_FALSE(OggVorbisFileLooksSound("no/such/file.ogg"));
}

TEST(OggCheck, CommentCountBeyondThePacketIsTurnedAwayEvenWithGoodChecksums)
{
    // A sealed page whose comment header claims far more comments than it
    // holds: the decoder would loop over them all.
    std::vector<uint8_t> bytes = ReadBytes(SamplePath("step"));
    size_t page = SecondPageOffset(bytes);
    ASSERT_EQ(0, std::memcmp(&bytes[page], "OggS", 4));
    size_t packet = page + 27 + bytes[page + 26];
    ASSERT_EQ(3, bytes[packet]);
    size_t vendorLength = Le32(&bytes[packet + 7]);
    PutLe32(&bytes[packet + 11 + vendorLength], 0x7fffffff);
    ResealPage(bytes, page);
    EXPECT_FALSE(OggVorbisLooksSound(bytes.data(), bytes.size()));
}

TEST(OggCheck, FileThatOnceStalledTheDecoderLoadsAsSilence)
{
    std::string path = std::string(MIRELANTHA_SOURCE_DIR) +
                       "/tests/data/ogg_damaged/huge_comment_count_unchecked.ogg";
    EXPECT_FALSE(OggVorbisFileLooksSound(path.c_str()));
}
