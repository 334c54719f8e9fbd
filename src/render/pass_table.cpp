#include "render/pass_table.h"

#include "render/bloom_blur_pass.h"
#include "render/bloom_pass.h"
#include "render/god_ray_pass.h"
#include "render/lighting_pass.h"
#include "render/shadow_pass.h"

namespace {

#if VORLUNE_GL_LAYERED_TARGETS
constexpr const RenderPass* kPassTable[] = {
    &godRayOcclusionPass, &bloomBrightPass, &bloomBlurPass, &shadowCubeMapPass, &lightingPass,
};
#endif

// The same passes with the shadow cube map drawn a face at a time.
constexpr const RenderPass* kPassTableWithShadowFaces[] = {
    &godRayOcclusionPass, &bloomBrightPass, &bloomBlurPass, &shadowCubeFacesPass, &lightingPass,
};

}  // namespace

std::span<const RenderPass* const> passTable()
{
#if VORLUNE_GL_LAYERED_TARGETS
    if (shadowPassForm == ShadowPassForm::OneLayeredDraw) {
        return kPassTable;
    }
#endif
    return kPassTableWithShadowFaces;
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
