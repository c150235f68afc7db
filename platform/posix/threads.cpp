// Threads and locks on top of the C++ standard library.
//
// std::mutex needs no run-time set-up, so creating and deleting the locks does
// nothing here; the calls exist for platforms whose locks must be initialised.
#include "platform/threads.h"

#include <mutex>
#include <new>
#include <system_error>
#include <thread>

struct ThreadHandle
{
    std::thread thread;
};

namespace
{
std::mutex Locks[AudioLockCount];

// A worker still running when static storage goes away (exit() from a
// library's error handler) is let go rather than ending the program with
// std::terminate; every orderly way out joins it first.
struct WorkerThread
{
    std::thread thread;
    ~WorkerThread()
    {
        if (thread.joinable())
        {
            thread.detach();
        }
    }
};
WorkerThread Worker;
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

void StartWorkerThread(bool (*step)())
{
    Worker.thread = std::thread([step] {
        while (step())
        {
        }
    });
}

void JoinWorkerThread()
{
    if (Worker.thread.joinable())
    {
        Worker.thread.join();
    }
}

ThreadHandle* StartThread(void (*body)())
{
    ThreadHandle* handle = new (std::nothrow) ThreadHandle;
    if (handle)
    {
        try
        {
            handle->thread = std::thread(body);
        }
        catch (const std::system_error&)
        {
            delete handle;
            handle = nullptr;
        }
    }
    return handle;
}

void JoinThread(ThreadHandle* handle)
{
    if (handle)
    {
        handle->thread.join();
        delete handle;
    }
}
