// The mixer: the 128-voice pool, the game/mixer exchange, the callback and the
// echo network. See mixer.cpp for which thread owns what.
#pragma once

#include <cstdint>

#include "audio/stereo.h"
#include "audio/voices.h"

constexpr int VoiceCount = 128;
constexpr int SfxVoiceCount = 64;     // pool indices 0..63
constexpr int MusicVoiceBase = 64;    // music voice m is pool index 64 + m
constexpr int EchoFrames = 151200;    // eight beats

extern Voice Voices[VoiceCount];
extern bool VoiceActive[VoiceCount];        // audio thread
extern bool SfxVoiceInUse[SfxVoiceCount];   // game thread
extern uint32_t SampleClock;                // audio thread

// Fixed-capacity list of voice indices; at most 64 sound-effect voices exist,
// so nothing here ever allocates.
struct VoiceIdList
{
    uint8_t ids[SfxVoiceCount];
    int32_t count;
};

struct AudioSlot
{
    bool titleMusic;
    bool dampEcho;
    int32_t gardenRunning;
    VoiceIdList voiceIds;
};

extern AudioSlot AudioSlots[3];
extern int32_t gameSlot, middleSlot, mixerSlot;

// The first index from `start` on, wrapping around, whose `inUse` entry of
// `count` is false; -1 when all are in use. Both voice searches resume where
// the last one ended.
int FindFreeVoice(const bool* inUse, int count, int start);

// Appends a started sound-effect voice to the game thread's block.
void QueueSfxVoice(int index);

// The audio start-up without the loader thread and the device: SamplesLoaded
// cleared, note table, sound-effect flags and search index cleared, echo ring,
// taps, clock, chord row, voices, slots, exchange. The tools and tests start
// audio with this; the device layer adds the loader and the device.
void AudioStartupState();
void MarkNewGame();

// The game thread's side of the exchange, once per main-loop iteration: what
// the music should play (the title music with no game mode active, else the
// game music, planting or with the garden open) goes into the game's block,
// which is published when the mixer has taken the previous one.
void AudioUpdate(bool modeActive, bool planting);
void AudioExchange();
void AudioCallback(void* userdata, uint8_t* stream, int len);
// The mix of `frames` frames into a device buffer, without the exchange. The
// plain loop renders frame by frame, voice by voice, exactly as the callback is
// defined; AudioCallback uses the block path, which gives the same bytes.
void MixFramesPlain(uint8_t* stream, int frames);
void MixFramesBlocked(uint8_t* stream, int frames);
void AudioShutdown();
