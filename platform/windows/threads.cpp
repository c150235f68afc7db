// Threads and locks on Windows: the sample loader and the other background
// work run on threads of their own from CreateThread, and the two locks are
// critical sections, initialised before audio starts and deleted after it has
// stopped.
#include "platform/threads.h"

#include <windows.h>

namespace
{
CRITICAL_SECTION Locks[AudioLockCount];

// The loader is waited for on every way out, so its handle is kept.
HANDLE Worker = nullptr;
bool (*WorkerStep)() = nullptr;

void RunWorkerSteps()
{
    while (WorkerStep())
    {
    }
}

DWORD WINAPI RunWorker(LPVOID body)
{
    reinterpret_cast<void (*)()>(body)();
    return 0;
}
}  // namespace

void CreateAudioLocks()
{
    for (CRITICAL_SECTION& lock : Locks)
    {
        InitializeCriticalSection(&lock);
    }
}

void DeleteAudioLocks()
{
    for (CRITICAL_SECTION& lock : Locks)
    {
        DeleteCriticalSection(&lock);
    }
}

void EnterLock(AudioLock lock)
{
    EnterCriticalSection(&Locks[lock]);
}

bool TryEnterLock(AudioLock lock)
{
    return TryEnterCriticalSection(&Locks[lock]) != 0;
}

void LeaveLock(AudioLock lock)
{
    LeaveCriticalSection(&Locks[lock]);
}

void StartWorkerThread(bool (*step)())
{
    WorkerStep = step;
    Worker = reinterpret_cast<HANDLE>(StartThread(RunWorkerSteps));
}

void JoinWorkerThread()
{
    JoinThread(reinterpret_cast<ThreadHandle*>(Worker));
    Worker = nullptr;
}

ThreadHandle* StartThread(void (*body)())
{
    // Default security and stack size, no flags: it runs at once.
    HANDLE thread = CreateThread(nullptr, 0, RunWorker, reinterpret_cast<LPVOID>(body), 0, nullptr);
    return reinterpret_cast<ThreadHandle*>(thread);
}

void JoinThread(ThreadHandle* thread)
{
    if (thread)
    {
        HANDLE handle = reinterpret_cast<HANDLE>(thread);
        WaitForSingleObject(handle, INFINITE);
        CloseHandle(handle);
    }
}
