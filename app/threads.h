// Threads and locks: the thin seam a port to another platform replaces.
//
// The audio code needs exactly two locks, created by the shell before audio
// starts and destroyed after the device is closed: ExchangeLock, which both the
// game thread and the mixer only ever try-lock, and LoaderLock, taken blocking
// by the sample loader and polled by shutdown.
#pragma once

#include <mutex>

class CriticalSection
{
public:
    void lock() { mutex.lock(); }
    bool tryLock() { return mutex.try_lock(); }
    void unlock() { mutex.unlock(); }

private:
    std::mutex mutex;
};

extern CriticalSection AudioLocks[2];
inline CriticalSection& ExchangeLock = AudioLocks[0];
inline CriticalSection& LoaderLock = AudioLocks[1];

// The one worker thread (the sample loader). Start it once; JoinWorkerThread
// waits for it to return and does nothing when no worker is running, so every
// way out of the program can call it before static storage goes away.
void StartWorkerThread(void (*body)());
void JoinWorkerThread();
