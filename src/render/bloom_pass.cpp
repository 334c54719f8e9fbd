#include "render/bloom_pass.h"

#include "camera/camera.h"
#include "common/render_toggles.h"
#include "render/draw_lists.h"
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
    bloomBrightTarget = createRenderTarget(kBloomWidth, kBloomHeight);
}

const ShaderProgram& bloomProgram(const ShaderPrograms& programs)
{
    return programs.bloomShader;
}

// Skipped while the scene has no light (before composition, or if it
// failed): the target is still cleared, so nothing stale is sampled.
void drawBloomBright(const ShaderProgram& bloomShader)
{
    if (lights.empty()) {
        return;
    }
    prepareBloomPass(bloomShader, *firstLight());
    drawList(bloomObjects, bloomShader);
}

}  // namespace

constinit const RenderPass bloomBrightPass{
    .name = "bloom bright",
    .toggle = &bloomOn,
    .viewportWidth = kBloomWidth,
    .viewportHeight = kBloomHeight,
    .framebuffer = &bloomBrightTarget.framebuffer,
    .clearColour = ClearColour{0.0f, 0.0f, 0.0f, 1.0f},
    .createTarget = createBloomBrightTarget,
    .program = bloomProgram,
    .setUpAndDraw = drawBloomBright,
};
