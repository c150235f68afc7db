// The echo network on its own: two trips round the ring after a burst of loud
// send and dry sound, against a stored checksum of every output frame and the
// ring. It covers all three taps, the reverse tap's wrap, the feedback, the
// truncation toward zero and the wrap of loud sums.
#include "tests/audio/audio_harness.h"
#include "tests/digest.h"

TEST(Echo, ABurstGivesTheStoredEchoesForTwoTripsRoundTheRing)
{
    ResetEcho();
    uint32_t digest = DigestStart;
    for (int frame = 0; frame < 2 * EchoRingFrames; ++frame)
    {
        // 3000 frames of loud sound and send, then a quiet tone, then silence.
        const int16_t loud = static_cast<int16_t>(frame < 3000 ? frame * 7919 % 60001 - 30000 : 0);
        const StereoSample send = {loud, static_cast<int16_t>(-loud / 3)};
        // Near full scale where the half-ring tap plays the burst back, so
        // the output sums wrap.
        const bool full = frame >= 37000 && frame < 41000;
        const StereoSample dry = frame < 3000    ? StereoSample{loud, static_cast<int16_t>(loud / 2)}
                                 : full          ? StereoSample{32000, -32000}
                                 : frame < 20000 ? StereoSample{static_cast<int16_t>(frame % 200 - 100), 0}
                                                 : StereoSample{0, 0};
        const StereoSample out = EchoFrame(dry, send);
        digest = Digest(&out, sizeof out, digest);
    }
    digest = Digest(EchoBuffer, sizeof EchoBuffer, digest);
    EXPECT_EQ(digest, 3085937186u) << digest;
}
