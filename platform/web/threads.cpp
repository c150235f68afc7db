// Threads and locks in the browser, where the game has only the page's main
// thread: the audio callback, the loader's slices and the main loop take
// turns on it and never interrupt one another. A lock is then a flag that is
// only ever found free; the worker runs in slices between loop iterations,
// and a background thread's work is done at once by whoever asked for it.
#include "platform/threads.h"

#include <emscripten.h>

#include "platform/web/worker_slices.h"

struct ThreadHandle
{
};

namespace
{
bool Held[AudioLockCount];
bool (*WorkerStep)() = nullptr;  // none when no worker is running
}  // namespace

void CreateAudioLocks()
{
}

void DeleteAudioLocks()
{
}

void EnterLock(AudioLock lock)
{
    Held[lock] = true;
}

bool TryEnterLock(AudioLock lock)
{
    if (Held[lock])
    {
        return false;
    }
    Held[lock] = true;
    return true;
}

void LeaveLock(AudioLock lock)
{
    Held[lock] = false;
}

void StartWorkerThread(bool (*step)())
{
    WorkerStep = step;
}

void RunWorkerSlice(double budgetMs)
{
    const double start = emscripten_get_now();
    while (WorkerStep)
    {
        if (!WorkerStep())
        {
            WorkerStep = nullptr;
        }
        else if (emscripten_get_now() - start >= budgetMs)
        {
            break;
        }
    }
}

void JoinWorkerThread()
{
    while (WorkerStep && WorkerStep())
    {
    }
    WorkerStep = nullptr;
}

ThreadHandle* StartThread(void (*)())
{
    return nullptr;  // the caller does the work itself
}

void JoinThread(ThreadHandle*)
{
}
