// The structural check that keeps damaged Ogg files away from the decoder.
#include "audio/ogg_check.h"

#include <cstring>

#include "tests/audio/audio_harness.h"

namespace
{
std::string SamplePath(const std::string& name)
{
    return ShippedSamples + "/" + name + ".ogg";
}

void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
    {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// Bytes of the page starting at offset: header, segment table and body.
size_t PageLength(const std::vector<uint8_t>& bytes, size_t offset)
{
    int segments = bytes[offset + 26];
    size_t length = 27 + segments;
    for (int i = 0; i < segments; i++)
    {
        length += bytes[offset + 27 + i];
    }
    return length;
}
}  // namespace

TEST(OggCheck, ShippedSamplesPassButTruncatedFlippedMissingAndOnceStallingFilesAreTurnedAway)
{
    for (const char* name : SampleNames)
    {
        EXPECT_TRUE(OggVorbisFileLooksSound(SamplePath(name).c_str())) << name;
    }
    std::vector<uint8_t> bytes = ReadBytes(SamplePath("step"));
    ASSERT_GT(bytes.size(), 200u);

    EXPECT_FALSE(OggVorbisLooksSound(bytes.data(), bytes.size() - 1));
    EXPECT_FALSE(OggVorbisLooksSound(bytes.data(), 0));

    std::vector<uint8_t> flipped = bytes;
    flipped[flipped.size() / 2] ^= 0x10;
    EXPECT_FALSE(OggVorbisLooksSound(flipped.data(), flipped.size()));

    EXPECT_FALSE(OggVorbisFileLooksSound("no/such/file.ogg"));
    // A file that once stalled the decoder with its comment count.
    EXPECT_FALSE(OggVorbisFileLooksSound(
        (std::string(MIRELANTHA_SOURCE_DIR) + "/tests/data/ogg_damaged/huge_comment_count_unchecked.ogg").c_str()));
}

TEST(OggCheck, CommentCountBeyondThePacketIsTurnedAwayEvenWithGoodChecksums)
{
    // A sealed page whose comment header claims far more comments than it
    // holds: the decoder would loop over them all.
    std::vector<uint8_t> bytes = ReadBytes(SamplePath("step"));
    size_t page = PageLength(bytes, 0);
    ASSERT_EQ(0, std::memcmp(&bytes[page], "OggS", 4));
    size_t packet = page + 27 + bytes[page + 26];
    ASSERT_EQ(3, bytes[packet]);
    size_t vendorLength = Le32(&bytes[packet + 7]);
    PutLe32(&bytes[packet + 11 + vendorLength], 0x7fffffff);
    PutLe32(&bytes[page + 22], 0);  // re-seal the page so its checksum is right again
    PutLe32(&bytes[page + 22], OggChecksum(&bytes[page], PageLength(bytes, page)));
    EXPECT_FALSE(OggVorbisLooksSound(bytes.data(), bytes.size()));
}
