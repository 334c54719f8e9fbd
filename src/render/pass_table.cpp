#include "render/pass_table.h"

#include "render/bloom_blur_pass.h"
#include "render/bloom_pass.h"
#include "render/god_ray_pass.h"
#include "render/lighting_pass.h"
#include "render/shadow_pass.h"

namespace {

constexpr const RenderPass* kPassTable[] = {
    &godRayOcclusionPass, &bloomBrightPass, &bloomBlurPass, &shadowCubeMapPass, &lightingPass,
};

}  // namespace

std::span<const RenderPass* const> passTable()
{
    return kPassTable;
}

void createRenderTargets()
{
    for (const RenderPass* pass : passTable()) {
        if (pass->createTarget != nullptr) {
            pass->createTarget();
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
