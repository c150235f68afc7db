// Threads and locks: the thin seam below the audio code that each platform
// implements in a file of its own (posix/threads.cpp, windows/threads.cpp,
// web/threads.cpp).
//
// The audio code needs exactly two locks: ExchangeLock, which both the game
// thread and the mixer only ever try to take, and LoaderLock, taken blocking
// by the sample loader and polled by shutdown. The program creates them before
// audio starts and deletes them after the device is closed and AudioShutdown
// has run; tools and tests that run the audio state do the same.
#pragma once

enum AudioLock
{
    ExchangeLock = 0,
    LoaderLock = 1,
};
constexpr int AudioLockCount = 2;

void CreateAudioLocks();
void DeleteAudioLocks();

// Waits until the lock is free and takes it.
void EnterLock(AudioLock lock);
// Takes the lock if it is free at once; never waits. True when taken.
bool TryEnterLock(AudioLock lock);
void LeaveLock(AudioLock lock);

// The one worker (the sample loader), given as a step that does a short piece
// of work and returns false once the work is done. Threaded platforms call it
// over and over on a thread of their own; a platform without threads calls it
// between the iterations of the main loop. Start it once; JoinWorkerThread
// waits until the step returned false and does nothing when no worker is
// running, so every way out of the program can call it before static storage
// goes away.
void StartWorkerThread(bool (*step)());
void JoinWorkerThread();

// Threads for other background work (the screenshot writer). StartThread
// returns none when no thread could be started; JoinThread waits for the
// thread to return and releases its handle.
struct ThreadHandle;
ThreadHandle* StartThread(void (*body)());
void JoinThread(ThreadHandle* thread);
