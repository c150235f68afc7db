// The structural check that keeps damaged Ogg files away from the decoder.
#include "audio/ogg_check.h"

#include <cstring>

#include "tests/audio/audio_harness.h"
#include "tests/ogg_pages.h"

namespace
{
std::string SamplePath(const std::string& name)
{
    return ShippedSamples + "/" + name + ".ogg";
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
    size_t page = OggPageLength(bytes, 0);
    ASSERT_EQ(0, std::memcmp(&bytes[page], "OggS", 4));
    size_t packet = page + 27 + bytes[page + 26];
    ASSERT_EQ(3, bytes[packet]);
    size_t vendorLength = Le32(&bytes[packet + 7]);
    std::copy_n("\xff\xff\xff\x7f", 4, &bytes[packet + 11 + vendorLength]);
    SealOggPage(bytes, page);  // so its checksum is right again
    EXPECT_FALSE(OggVorbisLooksSound(bytes.data(), bytes.size()));
}
