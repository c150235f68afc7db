// The sound-effect starts: PlaySound and PlaySoundEx take a free voice of the
// 64 sound-effect voices, fill it and queue it for the mixer. Game thread only.
#include "audio/sound_effects.h"

#include "audio/mixer.h"
#include "audio/samples.h"
#include "audio/voices.h"

int32_t nextSfxVoice = 0;

namespace
{
// Envelope of every sound effect (frames). Sample kinds replace it by the
// sample's own length in InitVoice; only synthesised effects use it.
constexpr uint32_t SfxAttack = 500;
constexpr uint32_t SfxSustain = 5000;
constexpr uint32_t SfxRelease = 50000;

constexpr float PlaySoundEchoSend = 0.6f;

bool IsSampleKind(int32_t kind)
{
    return kind >= FirstSampleKind;
}
}  // namespace

void PlaySoundEx(int32_t kind, float frequency, float volume, float echoSend, float pan)
{
    if (IsSampleKind(kind) && !SamplesLoaded)
    {
        return;
    }
    // A kind past the bank would make the voice read a sample that does not
    // exist; such a request is dropped like any other refused sound.
    if (kind >= EndSampleKind)
    {
        return;
    }

    // Resume the search where the last one ended: that voice is now in use,
    // so the search moves on from it. All 64 busy: the sound is dropped.
    int found = FindFreeVoice(SfxVoiceInUse, SfxVoiceCount, nextSfxVoice);
    if (found < 0)
    {
        return;
    }
    nextSfxVoice = found;

    // The mixer does not touch this record until the exchange hands the index
    // over, and it reported the voice finished before SfxVoiceInUse cleared.
    InitVoice(Voices[found], kind, SfxAttack, SfxSustain, SfxRelease, 0, frequency, volume,
              echoSend, pan);
    SfxVoiceInUse[found] = true;
    QueueSfxVoice(found);
}

void PlaySound(int32_t kind, float volume, float pan)
{
    // Unlike PlaySoundEx this refuses synthesised kinds too until loading ends.
    if (!SamplesLoaded)
    {
        return;
    }
    if (volume > 1.0f)
    {
        volume = 1.0f;
    }
    PlaySoundEx(kind, 0.0f, volume, PlaySoundEchoSend, pan);
}
