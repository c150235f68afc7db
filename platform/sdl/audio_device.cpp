// The audio device: opening the SDL 1.2 audio output and handing its callback
// to the mixer. Main thread only (the callback itself runs on SDL's audio
// thread and does nothing but call AudioCallback).
//
// The device is opened paused; the shell unpauses it once the rest of
// start-up is done.
#include "platform/audio_device.h"

#include <SDL.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/device_message.h"
#include "platform/environment.h"
#include "audio/mixer.h"
#include "audio/samples.h"

namespace
{
void DeviceCallback(void* userdata, Uint8* stream, int len)
{
    AudioCallback(userdata, stream, len);
}

// Names of SDL 2's sound drivers that SDL 1.2 knows by another name. Players
// set SDL_AUDIODRIVER for their SDL 2 games, and PipeWire serves the
// PulseAudio protocol too.
struct DriverAlias
{
    const char* name;
    const char* classic;
};
constexpr DriverAlias DriverAliases[] = {{"pulseaudio", "pulse"}, {"pipewire", "pulse"}, {"directsound", "dsound"}};

// Driver names compare without regard to case, as SDL compares them. Not
// every SDL 1.2 (the browser's among them) has SDL_strcasecmp.
bool SameDriverName(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; i++)
    {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
        {
            return false;
        }
    }
    return i == a.size() && !b[i];
}

// Names the driver to try next; null lets the library choose.
void NameDriver(const char* name)
{
    SetEnvironment("SDL_AUDIODRIVER", name);
}

bool OpenWithDriver(SDL_AudioSpec* desired)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && SDL_OpenAudio(desired, nullptr) == 0)
    {
        return true;
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
}

// Opens the device through the driver SDL_AUDIODRIVER names. When this SDL
// has no driver of that name, or it cannot open a device, the same driver
// under its SDL 1.2 name and then the library's own choice are tried, so that
// a player who has sound hears it. On failure SDL's error is the named
// driver's.
bool OpenDevice(SDL_AudioSpec* desired)
{
    const char* named = std::getenv("SDL_AUDIODRIVER");
    if (OpenWithDriver(desired))
    {
        return true;
    }
    if (!named || !*named)
    {
        return false;  // the library's own choice failed already
    }
    const std::string name = named;
    const std::string error = SDL_GetError();
    for (const DriverAlias& alias : DriverAliases)
    {
        if (SameDriverName(name, alias.name))
        {
            NameDriver(alias.classic);
            if (OpenWithDriver(desired))
            {
                return true;
            }
        }
    }
    NameDriver(nullptr);
    if (OpenWithDriver(desired))
    {
        return true;
    }
    NameDriver(name.c_str());
    SDL_SetError("%s", error.c_str());
    return false;
}
}  // namespace

// ---------------------------------------------------------------------------
// Start-up
// ---------------------------------------------------------------------------

void AudioStartup()
{
    AudioStartupState();
    StartSampleLoader();

    SDL_AudioSpec desired = {};
    desired.freq = 44100;
    desired.format = AUDIO_S16LSB;
    desired.channels = 2;
    desired.samples = 2048;  // frames per device buffer
    desired.callback = DeviceCallback;
    desired.userdata = nullptr;
    // No obtained format asked back: the mixer always produces 44100 Hz, signed
    // 16-bit little-endian stereo, and SDL converts that to whatever format
    // the device grants.
    if (!OpenDevice(&desired))
    {
        // Without a device there is nothing to play into, and the program
        // stops here. The loader thread is still decoding: stop and join it
        // first, or exit() would tear static storage down under its feet.
        StopSampleLoader();
        std::fprintf(stderr,
                     "mirelantha: cannot open the audio device (%s); "
                     "set SDL_AUDIODRIVER=dummy to play without sound\n",
                     SDL_GetError());
        // The full-screen window would hide the player's message.
        const std::string reason = SDL_GetError();
        SDL_Quit();
        TellNoAudioDevice(reason.c_str());
        std::exit(1);
    }
}
