// The block renderer: a run of frames of one voice added to the mixer's
// lanes in one go, with the same bits as RenderVoice frame by frame. Audio
// thread only (its scratch arrays are static).
#pragma once

#include <cstdint>

#include "audio/voices.h"

// The mixer's accumulators for one block of frames: the dry mix and the echo
// send, each a 16-bit sum that wraps (unsigned, so the wrap is well defined).
// One array per channel keeps the adding loops contiguous.
constexpr uint32_t MixBlockFrames = 2048;
struct MixLanes
{
    uint16_t dryLeft[MixBlockFrames];
    uint16_t dryRight[MixBlockFrames];
    uint16_t sendLeft[MixBlockFrames];
    uint16_t sendRight[MixBlockFrames];
    // Steps of the piecewise-constant parts (steady squares): entry i is what
    // changes from frame i - 1 to frame i. ResolveLanes sums them into the
    // lanes once for all voices, so a square costs per edge, not per frame.
    uint16_t dryLeftStep[MixBlockFrames + 1];
    uint16_t dryRightStep[MixBlockFrames + 1];
    uint16_t sendLeftStep[MixBlockFrames + 1];
    uint16_t sendRightStep[MixBlockFrames + 1];
};

// Zeroes the first `frames` lanes and their steps before a block.
void ClearLanes(MixLanes& lanes, uint32_t frames);
// Adds the running sum of the steps into the lanes after the last voice.
void ResolveLanes(MixLanes& lanes, uint32_t frames);

// Renders up to `frames` (at most MixBlockFrames) frames of an active voice
// into lanes 0.., adding each frame to the dry mix and frame x echoSend
// (truncated per channel) to the send, exactly as RenderVoice frame by frame
// would. Stops after the frame that finishes the voice and returns how many
// frames it rendered. Kind 8 draws rand() once per frame, so the caller keeps
// the frame-by-frame order when two noise voices play at once.
uint32_t RenderVoiceBlock(Voice& voice, uint32_t frames, MixLanes& lanes);

// The renderer's inner loops exist in two builds with the same bits: one for
// the baseline instruction set and one for AVX2. The faster one the CPU
// supports is chosen at start-up; tests and benchmarks may choose either one
// the CPU supports (never while the audio device runs).
enum class BlockKernel
{
    Baseline,
    Avx2,
};
bool BlockKernelSupported(BlockKernel kernel);
BlockKernel ActiveBlockKernel();
void UseBlockKernel(BlockKernel kernel);  // ignored when not supported

// The two builds of the kernel (block_render_baseline.cpp and
// block_render_avx2.cpp): `count` frames of a voice that fits the run path,
// is past its delay and does not finish before the last of them.
void RenderRunsBaseline(Voice& voice, uint32_t count, MixLanes& lanes, uint32_t at);
void RenderRunsAvx2(Voice& voice, uint32_t count, MixLanes& lanes, uint32_t at);
