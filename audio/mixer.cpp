// The mixer: the pool of 128 voices, the triple-buffered exchange with the
// game thread, the audio callback and start-up/shutdown of the audio state.
//
// Threads: AudioUpdate, MarkNewGame and QueueSfxVoice run on the game thread
// and touch only the gameSlot block and SfxVoiceInUse. AudioCallback and
// AudioExchange run on the audio thread and own VoiceActive, the music voices,
// the echo ring, SampleClock and the mixerSlot block. The two meet only in the
// slot swap under ExchangeLock, which both sides try-lock and never wait for.
// AudioStartupState and AudioShutdown run on the main thread while the device
// is closed.
#include "audio/mixer.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

#include "audio/block_render.h"
#include "audio/echo.h"
#include "audio/music.h"
#include "audio/samples.h"
#include "audio/sound_effects.h"
#include "platform/threads.h"

// ---------------------------------------------------------------------------
// Global state
// ---------------------------------------------------------------------------

Voice Voices[VoiceCount];
bool VoiceActive[VoiceCount];
bool SfxVoiceInUse[SfxVoiceCount];
uint32_t SampleClock;

AudioSlot AudioSlots[3];
// Which block each side owns. gameSlot is written only by the game thread and
// mixerSlot only by the audio thread (both under ExchangeLock); middleSlot by
// either, always under the lock.
int32_t gameSlot = 2, middleSlot = 1, mixerSlot = 0;

namespace
{
// Guarded by ExchangeLock.
bool gamePublished = false;   // middle holds the game's block, not yet taken
bool mixerPublished = true;   // middle holds the mixer's block, not yet taken

constexpr int BeatsPerPhrase = 16;

void AppendVoiceId(VoiceIdList& list, int index)
{
    // Every sound-effect voice appears at most once per block (it cannot be
    // started again before its report has travelled back), so 64 entries
    // always suffice; the test only guards against a broken caller.
    assert(list.count < SfxVoiceCount);
    if (list.count < SfxVoiceCount)
    {
        list.ids[list.count] = static_cast<uint8_t>(index);
        list.count += 1;
    }
}

inline void WriteFrame(uint8_t* out, StereoSample frame)
{
    // Signed 16-bit little-endian, left then right.
    uint16_t left = static_cast<uint16_t>(frame.left);
    uint16_t right = static_cast<uint16_t>(frame.right);
    out[0] = static_cast<uint8_t>(left & 0xff);
    out[1] = static_cast<uint8_t>(left >> 8);
    out[2] = static_cast<uint8_t>(right & 0xff);
    out[3] = static_cast<uint8_t>(right >> 8);
}

// The beat hook: at the first frame of every beat the music generator of the
// mixer's block decides what to start; every sixteenth beat a new chord.
inline void BeatHook()
{
    if (SampleClock % BeatFrames != 0)
    {
        return;
    }
    uint32_t beat = SampleClock / BeatFrames;
    if (beat % BeatsPerPhrase == 0)
    {
        ChordRow = ChordRowOrder[std::rand() % ChordRowCount];
    }
    int32_t step = static_cast<int32_t>(beat % BeatsPerPhrase);
    if (AudioSlots[mixerSlot].titleMusic)
    {
        TitleMusicStep(step);
    }
    else
    {
        GameMusicStep(step);
    }
}
// The frame-by-frame mix: the reference every faster path must match.
// withFirstHook false means the caller already ran the beat hook for the
// first frame.
void MixRangePlain(uint8_t* stream, int frames, bool withFirstHook)
{
    for (int n = 0; n < frames; ++n)
    {
        StereoSample dry = {0, 0};
        StereoSample send = {0, 0};
        if (n > 0 || withFirstHook)
        {
            BeatHook();
        }
        for (int v = 0; v < VoiceCount; ++v)
        {
            if (!VoiceActive[v])
            {
                continue;
            }
            Voice& voice = Voices[v];
            StereoSample frame = RenderVoice(voice);
            dry = WrapAdd(dry, frame);
            send = WrapAdd(send, {TruncTo16(frame.left * voice.echoSend),
                                  TruncTo16(frame.right * voice.echoSend)});
            if (VoiceFinished(voice))
            {
                VoiceActive[v] = false;
                if (v < SfxVoiceCount)
                {
                    AppendVoiceId(AudioSlots[mixerSlot].voiceIds, v);
                }
            }
        }
        WriteFrame(stream + 4 * n, EchoFrame(dry, send));
        SampleClock += 1;
    }
}

// ---------------------------------------------------------------------------
// Block mixing: each voice renders a run of frames into the lanes in one go,
// then the echo runs over the lanes frame by frame. The 16-bit sums wrap, so
// the order in which voices are added does not change a single bit.
// ---------------------------------------------------------------------------

constexpr int BlockFrames = static_cast<int>(MixBlockFrames);
MixLanes Lanes;  // static: nothing is allocated on the audio thread

int NoiseVoiceCount()
{
    int count = 0;
    for (int v = 0; v < VoiceCount; ++v)
    {
        count += VoiceActive[v] && Voices[v].kind == KindNoise ? 1 : 0;
    }
    return count;
}

struct FinishReport
{
    uint32_t frame;
    int voice;
};

void MixBlock(uint8_t* stream, int frames)
{
    ClearLanes(Lanes, static_cast<uint32_t>(frames));

    // Finished sound effects are reported in the order the frame-by-frame
    // loop would: by frame, then by voice.
    FinishReport reports[SfxVoiceCount];
    int reportCount = 0;
    for (int v = 0; v < VoiceCount; ++v)
    {
        if (!VoiceActive[v])
        {
            continue;
        }
        Voice& voice = Voices[v];
        uint32_t rendered = RenderVoiceBlock(voice, static_cast<uint32_t>(frames), Lanes);
        if (VoiceFinished(voice))
        {
            VoiceActive[v] = false;
            if (v < SfxVoiceCount)
            {
                int at = reportCount;
                reportCount += 1;
                while (at > 0 && reports[at - 1].frame > rendered - 1)
                {
                    reports[at] = reports[at - 1];
                    at -= 1;
                }
                reports[at] = {rendered - 1, v};
            }
        }
    }
    for (int i = 0; i < reportCount; ++i)
    {
        AppendVoiceId(AudioSlots[mixerSlot].voiceIds, reports[i].voice);
    }
    ResolveLanes(Lanes, static_cast<uint32_t>(frames));

    for (int n = 0; n < frames; ++n)
    {
        StereoSample dry = {static_cast<int16_t>(Lanes.dryLeft[n]), static_cast<int16_t>(Lanes.dryRight[n])};
        StereoSample send = {static_cast<int16_t>(Lanes.sendLeft[n]), static_cast<int16_t>(Lanes.sendRight[n])};
        WriteFrame(stream + 4 * n, EchoFrame(dry, send));
    }
    SampleClock += static_cast<uint32_t>(frames);
}
}  // namespace

// ---------------------------------------------------------------------------
// Start-up and shutdown (main thread, device closed)
// ---------------------------------------------------------------------------

void AudioStartupState()
{
    SamplesLoaded = false;
    BuildNoteTable();
    for (bool& inUse : SfxVoiceInUse)
    {
        inUse = false;
    }
    nextSfxVoice = 0;

    ResetEcho();
    SampleClock = 0;
    ChordRow = std::rand() % ChordRowCount;
    for (bool& active : VoiceActive)
    {
        active = false;
    }
    AudioSlots[0] = AudioSlot{};
    AudioSlots[0].titleMusic = true;
    AudioSlots[0].dampEcho = false;
    AudioSlots[0].gardenRunning = 0;
    AudioSlots[0].voiceIds.count = 0;
    AudioSlots[1] = AudioSlots[0];
    AudioSlots[2] = AudioSlots[0];
    mixerSlot = 0;
    middleSlot = 1;
    gameSlot = 2;
    gamePublished = false;
    mixerPublished = true;
    nextMusicVoice = 0;
    StopLoading = false;
}

void AudioShutdown()
{
    StopSampleLoader();
    FreeSamples();
}

// ---------------------------------------------------------------------------
// The hand-over, shared by both sides
// ---------------------------------------------------------------------------

namespace
{
// One side's half of the triple-buffer rotation. Under a try-lock only, so
// neither thread ever waits: if the other side holds the block in the middle
// for us (`theirsWaiting`), trade our slot for it and leave ours there for them
// (`oursWaiting`). True when a swap happened.
bool TrySwapWithMiddle(int32_t& mySlot, bool& theirsWaiting, bool& oursWaiting)
{
    if (!TryEnterLock(ExchangeLock))
    {
        return false;
    }
    bool swapped = theirsWaiting;
    if (swapped)
    {
        int32_t held = mySlot;
        mySlot = middleSlot;
        middleSlot = held;
        theirsWaiting = false;
        oursWaiting = true;
    }
    LeaveLock(ExchangeLock);
    return swapped;
}
}  // namespace

// ---------------------------------------------------------------------------
// Game thread
// ---------------------------------------------------------------------------

int FindFreeVoice(const bool* inUse, int count, int start)
{
    for (int tries = 0; tries < count; ++tries)
    {
        int index = (start + tries) % count;
        if (!inUse[index])
        {
            return index;
        }
    }
    return -1;
}

void QueueSfxVoice(int index)
{
    AppendVoiceId(AudioSlots[gameSlot].voiceIds, index);
}

void MarkNewGame()
{
    AudioSlots[gameSlot].dampEcho = true;
}

void AudioUpdate(bool modeActive, bool planting)
{
    AudioSlot& mine = AudioSlots[gameSlot];
    mine.titleMusic = !modeActive;
    if (modeActive)
    {
        mine.gardenRunning = planting ? 0 : 1;
    }

    // When the lock is busy the mixer is swapping; publish next frame.
    if (TrySwapWithMiddle(gameSlot, mixerPublished, gamePublished))
    {
        // The block now holds the mixer's reports of finished voices.
        VoiceIdList& reports = AudioSlots[gameSlot].voiceIds;
        for (int i = 0; i < reports.count; ++i)
        {
            SfxVoiceInUse[reports.ids[i]] = false;
        }
        reports.count = 0;
    }
}

// ---------------------------------------------------------------------------
// Audio thread
// ---------------------------------------------------------------------------

void AudioExchange()
{
    // When the lock is busy the game is swapping; take its block next callback.
    if (!TrySwapWithMiddle(mixerSlot, gamePublished, mixerPublished))
    {
        return;
    }
    AudioSlot& mine = AudioSlots[mixerSlot];
    for (int i = 0; i < mine.voiceIds.count; ++i)
    {
        int v = mine.voiceIds.ids[i];
        VoiceActive[v] = true;
        GridAlign(Voices[v], SampleClock);
    }
    // From here on the block collects our reports of finished voices.
    mine.voiceIds.count = 0;
    if (mine.dampEcho)
    {
        DampEcho();
        mine.dampEcho = false;
    }
}

void MixFramesPlain(uint8_t* stream, int frames)
{
    MixRangePlain(stream, frames, true);
}

void AudioCallback(void*, uint8_t* stream, int len)
{
    AudioExchange();
    int frames = len / 4;
    if (frames <= 0)
    {
        return;
    }
    MixFramesBlocked(stream, frames);
}

void MixFramesBlocked(uint8_t* stream, int frames)
{
    int n = 0;
    while (n < frames)
    {
        // A block never crosses a beat: the music may start voices there,
        // and it must see the pool as the frame-by-frame loop would.
        uint32_t toBeat = BeatFrames - SampleClock % BeatFrames;
        // The 32-bit clock wraps to 0, a beat start, before it reaches the
        // next multiple of a beat.
        uint32_t toWrap = 0u - SampleClock;
        toBeat = toWrap != 0 && toWrap < toBeat ? toWrap : toBeat;
        int len = frames - n;
        len = len < BlockFrames ? len : BlockFrames;
        len = static_cast<uint32_t>(len) < toBeat ? len : static_cast<int>(toBeat);

        BeatHook();
        if (NoiseVoiceCount() >= 2)
        {
            // Noise voices draw rand() frame by frame in voice order.
            MixRangePlain(stream + 4 * n, len, false);
        }
        else
        {
            MixBlock(stream + 4 * n, len);
        }
        n += len;
    }
}
