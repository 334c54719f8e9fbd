#include "render/bloom_pass.h"

#include "camera/camera.h"
#include "common/render_toggles.h"
#include "render/draw_lists.h"
#include "render/pass_images.h"
#include "render/point_light.h"
#include "render/shader_programs.h"
#include "render/uniforms.h"

RenderTarget bloomBrightTarget;

void prepareBloomPass(const ShaderProgram& bloomShader, const PointLight& light)
{
    glUseProgram(bloomShader.program);
    setUniformMat4(bloomShader.program, "projection", camera.projectionMatrix());
    setUniformMat4(bloomShader.program, "view", camera.viewMatrix());
    setUniformVec3(bloomShader.program, "lightPos", light.position);
}

namespace {

void createBloomBrightTarget()
{
    bloomBrightTarget = createRenderTarget(halfFrame());
}

// Nothing to draw while the scene has no light (before composition, or if
// it failed): the target is still cleared, so nothing stale is sampled.
bool setUpBloomBright(const ShaderProgram& bloomShader, std::span<const SampledImage> /*images*/)
{
    if (lights.empty()) {
        return false;
    }
    prepareBloomPass(bloomShader, *firstLight());
    return true;
}

}  // namespace

constinit const RenderPass bloomBrightPass{
    .name = "bloom bright",
    .toggle = &bloomOn,
    .viewportSize = halfFrame,
    .framebuffer = &bloomBrightTarget.framebuffer,
    .clearColour = ClearColour{0.0f, 0.0f, 0.0f, 1.0f},
    .createTarget = createBloomBrightTarget,
    .sizedTarget = &bloomBrightTarget,
    .produces = PassImage{kBloomBrightImage, GL_TEXTURE_2D, &bloomBrightTarget.colourTexture},
    .shaderFiles = {"data/shader/BloomShader.vs", nullptr, "data/shader/BloomShader.fs"},
    .programSlot = &ShaderPrograms::bloomShader,
    .setUp = setUpBloomBright,
    .drawList = []() -> const DrawList& { return bloomObjects; },
};
