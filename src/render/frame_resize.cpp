#include "render/frame_resize.h"

#include "render/lighting_program.h"
#include "render/pass_table.h"
#include "render/shader_programs.h"

bool resizeFrame(FrameSize size, const ShaderPrograms& programs)
{
    if (size == frameSize || !hasPixels(size)) {
        return false;
    }
    frameSize = size;
    for (const RenderPass* pass : passTable()) {
        if (pass->sizedTarget != nullptr) {
            resizeRenderTarget(*pass->sizedTarget, pass->viewportSize());
        }
    }
    assignScreenSize(programs.lightingVariants);
    return true;
}
