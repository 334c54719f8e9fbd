#include "render/god_ray_pass.h"

#include "camera/camera.h"
#include "common/render_toggles.h"
#include "render/draw_lists.h"
#include "render/pass_images.h"
#include "render/shader_programs.h"
#include "render/uniforms.h"

RenderTarget godRayTarget;

bool prepareGodRayPass(const ShaderProgram& godRayShader, std::span<const SampledImage> /*images*/)
{
    glUseProgram(godRayShader.program);
    setUniformMat4(godRayShader.program, "projection", camera.projectionMatrix());
    setUniformMat4(godRayShader.program, "view", camera.viewMatrix());
    return true;
}

namespace {

void createGodRayTarget()
{
    godRayTarget = createRenderTarget(wholeFrame());
}

}  // namespace

// Only the beacon and its blockers are drawn over the pink background, and
// the lighting pass lets only the glass around the light emit, so the pink
// shows just as a halo at the glass's rim. Depth is off so the blockers,
// drawn after the beacon, always cover it.
constinit const RenderPass godRayOcclusionPass{
    .name = "god-ray occlusion",
    .toggle = &godRaysOn,
    .viewportSize = wholeFrame,
    .framebuffer = &godRayTarget.framebuffer,
    .depthTest = false,
    .clearColour = ClearColour{0.9f, 0.5f, 0.5f, 1.0f},
    .createTarget = createGodRayTarget,
    .sizedTarget = &godRayTarget,
    .produces = PassImage{kGodRayImage, GL_TEXTURE_2D, &godRayTarget.colourTexture},
    .shaderFiles = {"data/shader/SimpleShader.vs", nullptr, "data/shader/SimpleShader.fs"},
    .programSlot = &ShaderPrograms::godRayShader,
    .setUp = prepareGodRayPass,
    .drawList = []() -> const DrawList& { return godRayObjects; },
};
