// Threads and locks on top of the C++ standard library.
//
// std::mutex needs no run-time set-up, so creating and deleting the locks does
// nothing here; the calls exist for platforms whose locks must be initialised.
#include "audio/threads.h"

#include <mutex>
#include <thread>

namespace
{
std::mutex Locks[AudioLockCount];
std::thread Worker;
}  // namespace

void CreateAudioLocks()
{
}

void DeleteAudioLocks()
{
}

void EnterLock(AudioLock lock)
{
    Locks[lock].lock();
}

bool TryEnterLock(AudioLock lock)
{
    return Locks[lock].try_lock();
}

void LeaveLock(AudioLock lock)
{
    Locks[lock].unlock();
}

void StartWorkerThread(void (*body)())
{
    Worker = std::thread(body);
}

void JoinWorkerThread()
{
    if (Worker.joinable())
    {
        Worker.join();
    }
}
