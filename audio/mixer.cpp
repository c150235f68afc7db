// The mixer (skeleton).
#include "audio/mixer.h"

Voice Voices[VoiceCount];
bool VoiceActive[VoiceCount];
bool SfxVoiceInUse[SfxVoiceCount];
uint32_t SampleClock;
float NoteFrequencies[24];
AudioSlot AudioSlots[3];
int32_t gameSlot = 2, middleSlot = 1, mixerSlot = 0;

void QueueSfxVoice(int) {}
void BuildNoteTable() {}
void AudioStartupState() {}
void MarkNewGame() {}
void AudioUpdate() {}
void AudioExchange() {}
void AudioCallback(void*, uint8_t*, int) {}
void AudioShutdown() {}
