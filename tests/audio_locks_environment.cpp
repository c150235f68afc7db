// Every test program creates the two audio locks before its first test and
// deletes them after its last, as the game does around its audio.
#include <gtest/gtest.h>

#include "platform/threads.h"

namespace
{
class AudioLocksEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { CreateAudioLocks(); }
    void TearDown() override { DeleteAudioLocks(); }
};

const ::testing::Environment* const Registered =
    ::testing::AddGlobalTestEnvironment(new AudioLocksEnvironment);
}  // namespace
