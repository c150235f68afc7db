// The echo network on its own: what one loud frame of echo send leaves in the
// ring, when each tap plays it back, and its exact arithmetic at the edges.
#include "tests/audio/audio_harness.h"

namespace
{
constexpr StereoSample Quiet = {0, 0};
}  // namespace

TEST(Echo, SendIsHeardAtOnceThroughTheReverseTapsAndAgainAQuarterRingLater)
{
    ResetEcho();
    StereoSample out = EchoFrame({100, -100}, {10000, -10000});
    // Tap 1 writes 0.24 x send = 2400 at 0; taps 2 and 3 read that same cell
    // after the write, so each adds 0.19 x 2400 = 456 to the dry frame.
    EXPECT_EQ(out.left, 100 + 456 + 456);
    EXPECT_EQ(out.right, -100 - 456 - 456);
    // Tap 3 added 0.25 x 2400 + 0.29 x 10000 on top of tap 1's value.
    EXPECT_EQ(EchoBuffer[0].left, 2400 + 600 + 2900);
    EXPECT_EQ(EchoBuffer[0].right, -(2400 + 600 + 2900));
    // Tap 2 added 0.3 x 2400 + 0.34 x 10000 into the two cells half a ring on.
    EXPECT_EQ(EchoBuffer[75600].left, 720 + 3400);
    EXPECT_EQ(EchoBuffer[75601].left, 720 + 3400);
    for (int frame = 1; frame < 37800; ++frame)
    {
        ASSERT_EQ(EchoFrame(Quiet, Quiet).left, 0) << "frame " << frame;
    }
    // Frame 37800: tap 2 reads cell 75600 (4120): 0.19 x 4120 = 782.
    EXPECT_EQ(EchoFrame(Quiet, Quiet).left, 782);
}

TEST(Echo, ReverseTapWrapsFeedbackTruncatesTowardZeroAndLoudSumsWrap)
{
    ResetEcho();
    EchoBuffer[EchoRingFrames - 2] = {1000, 1000};
    EchoFrame(Quiet, Quiet);  // tap 3 at 0
    EchoFrame(Quiet, Quiet);  // tap 3 at 151199
    EXPECT_EQ(EchoFrame(Quiet, Quiet).left, 190);  // tap 3 at 151198
    EXPECT_EQ(EchoBuffer[EchoRingFrames - 2].left, 1250);  // += 0.25 x 1000

    ResetEcho();
    tap2 = 10;  // keep the other taps away from cell 0
    tap3 = 20;
    EchoBuffer[0] = {-1001, 4000};
    StereoSample out = EchoFrame(Quiet, {-10, 10});
    // The feedback tap overwrites its cell with a quarter of what it read.
    EXPECT_EQ(EchoBuffer[0].left, -250 - 2);  // (int)-250.25 + (int)-2.4
    EXPECT_EQ(EchoBuffer[0].right, 1000 + 2);
    EXPECT_EQ(out.left, -240);                // (int)(0.24 x -1001)
    EXPECT_EQ(out.right, 960);

    ResetEcho();
    tap2 = 10;
    tap3 = 20;
    EchoBuffer[0] = {30000, -30000};
    out = EchoFrame({30000, -30000}, Quiet);
    EXPECT_EQ(out.left, 30000 + 7200 - 65536);
    EXPECT_EQ(out.right, -30000 - 7200 + 65536);
}
