// The sound-effect starts the game calls. Game thread only.
//
// A refused start (samples still loading, a kind past the bank, all 64
// sound-effect voices busy) is dropped without a trace: a missing sound is
// never an error.
#pragma once

#include <cstdint>

#include "audio/samples.h"      // SoundId
#include "audio/voice_kind.h"   // VoiceKind

// Where the next search for a free sound-effect voice begins: the voice the
// last one took.
extern int32_t nextSfxVoice;

// A sound effect of `kind` with the sound effects' envelope, louder than asked
// by a random 1.5 to 1.6 and jittered in pan (see InitVoice). Refused while
// the samples load when `kind` plays a sample.
void PlaySoundEx(int32_t kind, float frequency, float volume, float echoSend, float pan);
// PlaySoundEx at the usual echo send with the volume capped at 1; refuses
// every kind until the samples have loaded.
void PlaySound(int32_t kind, float volume, float pan);
