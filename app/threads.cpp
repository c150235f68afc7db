// Threads and locks on top of the C++ standard library.
//
// This file and threads.h are all a port would touch: the protocol the audio
// code relies on is try-lock on the exchange, a blocking lock in the loader and
// polling in shutdown, which std::mutex provides everywhere.
#include "app/threads.h"

#include <thread>

CriticalSection AudioLocks[2];

namespace
{
std::thread Worker;
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
