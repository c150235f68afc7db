// The exchange under load: the game thread starts sound effects as fast as
// the pool allows while the audio thread runs callbacks. No voice may be lost
// on the way (every start comes back as a finished report and frees its
// voice), and neither side ever waits for the other. Run it under
// ThreadSanitizer too (-DMIRELANTHA_SANITIZE=thread).
#include <atomic>
#include <chrono>
#include <thread>

#include "tests/audio/audio_harness.h"

namespace
{
// One game frame's hand-over, counting the voices it freed.
long UpdateAndCountFreed()
{
    const int before = SfxVoicesInUse();
    AudioUpdate(false, false);
    return before - SfxVoicesInUse();
}
}  // namespace

TEST(ExchangeStress, EveryStartedEffectComesBackFinishedWhileBothThreadsRun)
{
    std::srand(17);
    MusicSection = 0;
    AudioStartupState();

    std::atomic<bool> mixerDone{false};
    std::atomic<int> callbacks{0};
    std::thread mixer([&] {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (callbacks < 200 || std::chrono::steady_clock::now() < until)
        {
            Callback(512);
            callbacks += 1;
        }
        mixerDone = true;
    });

    const int32_t kinds[] = {KindSine,   KindSineSweepUp,   KindSineFall, KindFmSine,
                             KindSquare, KindSquareSweepUp, KindTriangle};
    long started = 0;
    long freed = 0;
    while (!mixerDone)
    {
        // Short sounds, so voices cycle quickly.
        for (int i = 0; i < SfxVoiceCount; ++i)
        {
            if (!SfxVoiceInUse[i])
            {
                StartSfxVoice(i, kinds[started % 7], 50, 200 + static_cast<uint32_t>(i), 100,
                              220.0f + 10.0f * static_cast<float>(i), 0.05f, 0.5f, 0.0f);
                started += 1;
            }
        }
        freed += UpdateAndCountFreed();
        std::this_thread::yield();
    }
    mixer.join();

    // Both threads stopped: hand the last reports back on this thread.
    for (int round = 0; round < 100 && SfxVoicesInUse() > 0; ++round)
    {
        freed += UpdateAndCountFreed();
        Callback(4096);
    }

    EXPECT_GT(started, 500) << "the pool cycled many times";
    EXPECT_EQ(SfxVoicesInUse(), 0);
    EXPECT_EQ(freed, started);
    EXPECT_EQ(std::count(VoiceActive, VoiceActive + SfxVoiceCount, true), 0);
}
