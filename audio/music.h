// The generative music: two generators called at every beat by the mixer.
#pragma once

#include <cstdint>

extern const int32_t ScaleTable[7];
extern const int32_t ChordTable[21][4];
extern const int32_t ChordRowOrder[21];
extern int32_t ChordRow;
extern int32_t MusicSection;
extern int32_t nextMusicVoice;

void TitleMusicStep(int32_t step);
void GameMusicStep(int32_t step);
void PlayMusicNote(int32_t kind, float frequency, float volume, float echoSend, float pan,
                   uint32_t sustain, uint32_t delay);
