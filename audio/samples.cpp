// Placeholder until the sample bank lands: no samples, every sound refused.
#include "audio/samples.h"

std::atomic<bool> SamplesLoaded{false};
bool StopLoading = false;
int32_t nextSfxVoice = 0;

void PlaySound(int32_t, float, float) {}
void PlaySoundEx(int32_t, float, float, float, float) {}
