// The block renderer: a voice's frames for one block added to the lanes.
//
// Frames past the delay go to the run kernel when the voice fits its bounds
// and frame by frame otherwise. The kernel is built for the baseline and for
// the AVX2 instruction set; which one runs is decided once, from what the
// CPU supports. Audio thread only.
#include "audio/block_render.h"

#include <cmath>
#include <cstring>

#include "audio/samples.h"
#include "audio/voice_frame.h"

namespace
{
constexpr uint32_t ExactFloatLimit = 1u << 24;

using RunsRenderer = void (*)(Voice& voice, uint32_t count, MixLanes& lanes, uint32_t at);

BlockKernel FastestBlockKernel()
{
    return BlockKernelSupported(BlockKernel::Avx2) ? BlockKernel::Avx2 : BlockKernel::Baseline;
}

BlockKernel ChosenKernel = FastestBlockKernel();

RunsRenderer RendererOf(BlockKernel kernel)
{
#ifdef MIRELANTHA_AVX2_KERNEL
    if (kernel == BlockKernel::Avx2)
    {
        return RenderRunsAvx2;
    }
#endif
    (void)kernel;
    return RenderRunsBaseline;
}

RunsRenderer RenderRunsChosen = RendererOf(ChosenKernel);

inline void AddToLanes(MixLanes& lanes, uint32_t at, StereoSample frame, float echoSend)
{
    lanes.dryLeft[at] = static_cast<uint16_t>(lanes.dryLeft[at] + static_cast<uint16_t>(frame.left));
    lanes.dryRight[at] = static_cast<uint16_t>(lanes.dryRight[at] + static_cast<uint16_t>(frame.right));
    lanes.sendLeft[at] = static_cast<uint16_t>(lanes.sendLeft[at] + static_cast<uint16_t>(TruncTo16(frame.left * echoSend)));
    lanes.sendRight[at] = static_cast<uint16_t>(lanes.sendRight[at] + static_cast<uint16_t>(TruncTo16(frame.right * echoSend)));
}

// Frames of a voice past its delay, one at a time: the path for voices
// outside the run kernel's bounds.
void RenderFrameByFrame(Voice& voice, uint32_t count, MixLanes& lanes, uint32_t at)
{
    for (uint32_t i = 0; i < count; ++i)
    {
        AddToLanes(lanes, at + i, RenderVoiceInline(voice), voice.echoSend);
    }
}

// Whether a voice stays inside the bounds the run kernel assumes.
bool RunPathFits(const Voice& voice)
{
    const uint64_t end = static_cast<uint64_t>(voice.delay) + voice.attack + voice.sustain + voice.release;
    if (end >= ExactFloatLimit)
    {
        return false;
    }
    if (voice.position >= end)
    {
        return false;  // a voice already at its end renders one frame
    }
    // Bounded levels and pitches keep every product far inside the 32-bit
    // range. Below 25 kHz and 2^24 frames a FastSin angle stays under 2^27,
    // so its turn count fits an int and its wrapped value stays near
    // [-pi, pi).
    if (!(std::fabs(voice.volume) <= 100.0f) || !(std::fabs(voice.echoSend) <= 1000.0f) ||
        std::isnan(voice.pan))
    {
        return false;
    }
    int32_t kind = voice.kind;
    if (kind >= FirstSampleKind)
    {
        return kind - FirstSampleKind < SampleCount;
    }
    if (!(std::fabs(voice.frequency) <= 25000.0f))
    {
        return false;
    }
    return kind == KindSine || (kind >= KindSineSweepUp && kind <= KindFmSine) ||
           (kind >= KindSquare && kind <= KindTriangle);
}

// Renders `count` frames of a voice that is past its delay and does not
// finish before the last of them.
void RenderSounding(Voice& voice, uint32_t count, MixLanes& lanes, uint32_t at)
{
    if (count == 0)
    {
        return;
    }
    if (!RunPathFits(voice))
    {
        RenderFrameByFrame(voice, count, lanes, at);
        return;
    }
    RenderRunsChosen(voice, count, lanes, at);
}
}  // namespace

// ---------------------------------------------------------------------------
// Choosing the kernel
// ---------------------------------------------------------------------------

bool BlockKernelSupported(BlockKernel kernel)
{
    if (kernel == BlockKernel::Baseline)
    {
        return true;
    }
#ifdef MIRELANTHA_AVX2_KERNEL
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

BlockKernel ActiveBlockKernel()
{
    return ChosenKernel;
}

void UseBlockKernel(BlockKernel kernel)
{
    if (BlockKernelSupported(kernel))
    {
        ChosenKernel = kernel;
        RenderRunsChosen = RendererOf(kernel);
    }
}

// ---------------------------------------------------------------------------
// Blocks
// ---------------------------------------------------------------------------

void ClearLanes(MixLanes& lanes, uint32_t frames)
{
    const size_t bytes = sizeof(uint16_t) * frames;
    const size_t stepBytes = sizeof(uint16_t) * (frames + 1);
    std::memset(lanes.dryLeft, 0, bytes);
    std::memset(lanes.dryRight, 0, bytes);
    std::memset(lanes.sendLeft, 0, bytes);
    std::memset(lanes.sendRight, 0, bytes);
    std::memset(lanes.dryLeftStep, 0, stepBytes);
    std::memset(lanes.dryRightStep, 0, stepBytes);
    std::memset(lanes.sendLeftStep, 0, stepBytes);
    std::memset(lanes.sendRightStep, 0, stepBytes);
}

void ResolveLanes(MixLanes& lanes, uint32_t frames)
{
    uint16_t dryLeft = 0;
    uint16_t dryRight = 0;
    uint16_t sendLeft = 0;
    uint16_t sendRight = 0;
    for (uint32_t i = 0; i < frames; ++i)
    {
        dryLeft = static_cast<uint16_t>(dryLeft + lanes.dryLeftStep[i]);
        dryRight = static_cast<uint16_t>(dryRight + lanes.dryRightStep[i]);
        sendLeft = static_cast<uint16_t>(sendLeft + lanes.sendLeftStep[i]);
        sendRight = static_cast<uint16_t>(sendRight + lanes.sendRightStep[i]);
        lanes.dryLeft[i] = static_cast<uint16_t>(lanes.dryLeft[i] + dryLeft);
        lanes.dryRight[i] = static_cast<uint16_t>(lanes.dryRight[i] + dryRight);
        lanes.sendLeft[i] = static_cast<uint16_t>(lanes.sendLeft[i] + sendLeft);
        lanes.sendRight[i] = static_cast<uint16_t>(lanes.sendRight[i] + sendRight);
    }
}

uint32_t RenderVoiceBlock(Voice& voice, uint32_t frames, MixLanes& lanes)
{
    // The voice finishes after the frame that brings its position to the sum
    // of its lengths (at once, after one frame, if it is already there).
    const uint32_t end = voice.delay + voice.attack + voice.sustain + voice.release;
    const uint32_t untilEnd = end > voice.position ? end - voice.position : 1;
    uint32_t count = frames < untilEnd ? frames : untilEnd;
    count = count < MixBlockFrames ? count : MixBlockFrames;

    uint32_t n = 0;
    if (voice.position < voice.delay)
    {
        // Silence adds nothing to the lanes.
        uint32_t quiet = voice.delay - voice.position;
        n = quiet < count ? quiet : count;
        voice.position += n;
    }
    RenderSounding(voice, count - n, lanes, n);
    return count;
}
