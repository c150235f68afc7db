// startup_probe: a preloaded library (LD_PRELOAD) that timestamps start-up
// milestones of a program without changing it, for the performance report.
//
//   window_ns        the first SDL_SetVideoMode call has returned: the
//                    full-screen window and its GL context exist;
//   first_frame_ns   the first SDL_GL_SwapBuffers call has returned: the
//                    first frame is on the screen;
//   samples_done_ns  a thread that opened a file under ".../samples/" has
//                    ended: the sample loader thread finished decoding;
//   sample_files     how many such files that thread opened (a file opened
//                    again right after itself, to check it and then to
//                    decode it, counts once);
//   swaps N T        every 64th swap: N swaps so far at wall-clock time T
//                    (CLOCK_REALTIME ns since the epoch), to give a frame rate.
//
// Other times are nanoseconds after PROBE_LAUNCH_NS (CLOCK_REALTIME, set by the
// caller right before exec). Lines are appended to the file PROBE_OUT.
// Interposes SDL_SetVideoMode, SDL_GL_SwapBuffers, pthread_create and the C
// library's ways of opening a file by name (open, open64, fopen, fopen64: the
// game's file layer calls open) through dlsym(RTLD_NEXT); runs on whichever
// thread calls them.
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace
{
constexpr int SwapsPerRecord = 64;

std::atomic<long long> Swaps{0};
std::atomic<int> SampleFiles{0};
thread_local bool OpenedSample = false;
thread_local char LastSample[512];

int64_t Now()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int64_t SinceLaunch()
{
    const char* launch = std::getenv("PROBE_LAUNCH_NS");
    return Now() - (launch != nullptr ? std::strtoll(launch, nullptr, 10) : 0);
}

void Record(const char* name, long long value, long long second = -1)
{
    const char* path = std::getenv("PROBE_OUT");
    if (path == nullptr)
    {
        return;
    }
    char line[96];
    const int length = second < 0 ? std::snprintf(line, sizeof line, "%s %lld\n", name, value)
                                  : std::snprintf(line, sizeof line, "%s %lld %lld\n", name, value,
                                                  second);
    const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0)
    {
        (void)!write(fd, line, static_cast<size_t>(length));
        close(fd);
    }
}

void NoteOpen(const char* path)
{
    if (path != nullptr && std::strstr(path, "samples/") != nullptr)
    {
        OpenedSample = true;
        if (std::strncmp(path, LastSample, sizeof LastSample - 1) != 0)
        {
            SampleFiles++;
            std::strncpy(LastSample, path, sizeof LastSample - 1);
        }
    }
}

struct Start
{
    void* (*routine)(void*);
    void* argument;
};

void* Trampoline(void* raw)
{
    const Start start = *static_cast<Start*>(raw);
    delete static_cast<Start*>(raw);
    void* result = start.routine(start.argument);
    if (OpenedSample)
    {
        Record("samples_done_ns", SinceLaunch());
        Record("sample_files", SampleFiles.load());
    }
    return result;
}

template <typename Function>
Function Next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
}  // namespace

// The surface type is left opaque: this file does not include SDL.
extern "C" void* SDL_SetVideoMode(int width, int height, int bits, uint32_t flags)
{
    static const auto real = Next<void* (*)(int, int, int, uint32_t)>("SDL_SetVideoMode");
    void* surface = real(width, height, bits, flags);
    static std::atomic<bool> seen{false};
    if (!seen.exchange(true))
    {
        Record("window_ns", SinceLaunch());
    }
    return surface;
}

extern "C" void SDL_GL_SwapBuffers()
{
    static const auto real = Next<void (*)()>("SDL_GL_SwapBuffers");
    real();
    const long long count = ++Swaps;
    if (count == 1)
    {
        Record("first_frame_ns", SinceLaunch());
    }
    if (count % SwapsPerRecord == 0)
    {
        Record("swaps", count, Now());
    }
}

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*routine)(void*), void* argument)
{
    static const auto real =
        Next<int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*)>("pthread_create");
    Start* start = new Start{routine, argument};
    const int result = real(thread, attributes, Trampoline, start);
    if (result != 0)
    {
        delete start;
    }
    return result;
}

namespace
{
// The mode argument is there only when the flags create a file.
mode_t ModeArgument(int flags, va_list arguments)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}
}  // namespace

extern "C" int open(const char* path, int flags, ...)
{
    static const auto real = Next<int (*)(const char*, int, ...)>("open");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    NoteOpen(path);
    return real(path, flags, mode);
}

extern "C" int open64(const char* path, int flags, ...)
{
    static const auto real = Next<int (*)(const char*, int, ...)>("open64");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    NoteOpen(path);
    return real(path, flags, mode);
}

extern "C" FILE* fopen(const char* path, const char* mode)
{
    static const auto real = Next<FILE* (*)(const char*, const char*)>("fopen");
    NoteOpen(path);
    return real(path, mode);
}

extern "C" FILE* fopen64(const char* path, const char* mode)
{
    static const auto real = Next<FILE* (*)(const char*, const char*)>("fopen64");
    NoteOpen(path);
    return real(path, mode);
}
