// The block renderer's kernel built for the baseline instruction set.
#include "audio/block_render_kernel.h"

void RenderRunsBaseline(Voice& voice, uint32_t count, MixLanes& lanes, uint32_t at)
{
    RenderRuns(voice, count, lanes, at);
}
