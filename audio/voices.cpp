// Voices: filling a voice record, aligning its start and rendering it.
#include "audio/voices.h"

void InitVoice(Voice& voice, int32_t, uint32_t, uint32_t, uint32_t, uint32_t, float, float, float, float)
{
    voice = Voice{};
}
void GridAlign(Voice&) {}
bool VoiceFinished(const Voice&) { return true; }
float EnvelopeLevel(const Voice&) { return 0.0f; }
StereoSample RenderVoice(Voice&) { return {0, 0}; }
StereoSample Oscillator(int, uint32_t, float, float, float) { return {0, 0}; }
float FastSin(float) { return 0.0f; }
StereoSample ApplyPan(StereoSample frame, float) { return frame; }
