// The audio device: opening the SDL 1.2 audio output and handing its callback
// to the mixer. Main thread only (the callback itself runs on SDL's audio
// thread and does nothing but call AudioCallback).
//
// The device is opened paused; the shell unpauses it once the rest of
// start-up is done.
#include "audio/device.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/device_message.h"
#include "audio/mixer.h"
#include "audio/samples.h"

namespace
{
void DeviceCallback(void* userdata, Uint8* stream, int len)
{
    AudioCallback(userdata, stream, len);
}
}  // namespace

// ---------------------------------------------------------------------------
// Start-up
// ---------------------------------------------------------------------------

void AudioStartup()
{
    AudioStartupState();
    StartSampleLoader();

    if (SDL_WasInit(SDL_INIT_AUDIO) == 0)
    {
        SDL_InitSubSystem(SDL_INIT_AUDIO);
    }

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
    if (SDL_OpenAudio(&desired, nullptr) < 0)
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
