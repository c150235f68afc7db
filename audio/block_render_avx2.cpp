// The block renderer's kernel built for AVX2 (the build adds -mavx2 to this file alone).
#include "audio/block_render_kernel.h"

void RenderRunsAvx2(Voice& voice, uint32_t count, MixLanes& lanes, uint32_t at)
{
    RenderRuns(voice, count, lanes, at);
}
