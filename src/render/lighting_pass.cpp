#include "render/lighting_pass.h"

#include "camera/camera.h"
#include "common/dials.h"
#include "common/render_toggles.h"
#include "render/draw_lists.h"
#include "render/pass_images.h"
#include "render/point_light.h"
#include "render/shader_programs.h"
#include "render/shadow_pass.h"
#include "render/uniforms.h"

#include <cmath>

std::optional<glm::vec2> lightScreenPosition(const glm::mat4& viewProjection, const glm::vec3& lightPosition)
{
    const glm::vec4 clip = viewProjection * glm::vec4(lightPosition, 1.0f);
    if (!(clip.w > 0.0f)) {
        return std::nullopt;
    }
    const glm::vec2 ndc(clip.x / clip.w, clip.y / clip.w);
    if (!std::isfinite(ndc.x) || !std::isfinite(ndc.y)) {
        return std::nullopt;
    }
    return ndc;
}

namespace {

// The god rays' source on screen, or nothing while they are off or the light
// cannot be projected.
std::optional<glm::vec2> godRaySource(const glm::mat4& viewProjection)
{
    if (!godRaysOn || lights.empty()) {
        return std::nullopt;
    }
    return lightScreenPosition(viewProjection, firstLight()->position);
}

}  // namespace

LightingEffects activeLightingEffects()
{
    const glm::mat4 viewProjection = camera.projectionMatrix() * camera.viewMatrix();
    return LightingEffects{shadowOn, godRaySource(viewProjection).has_value(), bloomOn};
}

bool prepareLightingPass(const ShaderProgram& lightingShader, std::span<const SampledImage> images)
{
    const GLuint program = lightingShader.program;
    glUseProgram(program);
    setUniformVec3(program, "viewPos", camera.position);
    setUniformFloat(program, "material.shininess", kMaterialShininess);
    const glm::mat4 projection = camera.projectionMatrix();
    const glm::mat4 view = camera.viewMatrix();
    setUniformMat4(program, "projection", projection);
    setUniformMat4(program, "view", view);
    for (const PointLight* light : lights) {
        light->setUniforms(program);
    }

    // Each image goes on its unit, the sampler is pointed at it, then the
    // texture is bound.
    const auto bindImage = [program](GLint unit, const char* sampler, const SampledImage& image) {
        glActiveTexture(GL_TEXTURE0 + unit);
        setUniformInt(program, sampler, unit);
        glBindTexture(image.textureTarget, image.texture);
    };

    setUniformInt(program, "shadow.on", shadowOn ? 1 : 0);
    if (shadowOn) {
        setUniformFloat(program, "shadow.far", farPlane);
        setUniformFloat(program, "screen.width", static_cast<float>(frameSize.width));
        setUniformFloat(program, "screen.height", static_cast<float>(frameSize.height));
        bindImage(kShadowMapUnit, "shadow.map", images[kLightingShadowMap]);
    }

    const std::optional<glm::vec2> lightOnScreen = godRaySource(projection * view);
    setUniformInt(program, "godRays.on", lightOnScreen ? 1 : 0);
    if (lightOnScreen) {
        setUniformVec2(program, "godRays.lightScreenPosition", *lightOnScreen);
        // Read every frame, so a moved dial shows at the next frame.
        setUniformFloat(program, "godRays.exposure", dialValue(kDialGodRayExposure));
        setUniformFloat(program, "godRays.decay", dialValue(kDialGodRayDecay));
        setUniformFloat(program, "godRays.density", dialValue(kDialGodRayDensity));
        setUniformFloat(program, "godRays.weight", dialValue(kDialGodRayWeight));
        bindImage(kGodRayMapUnit, "godRays.map", images[kLightingGodRays]);
    }

    setUniformInt(program, "bloom.on", bloomOn ? 1 : 0);
    if (bloomOn) {
        bindImage(kBloomMapUnit, "bloom.map", images[kLightingBloom]);
    }
    return true;
}

namespace {

constexpr const char* kLightingSamples[kLightingImageCount] = {kShadowMapImage, kGodRayImage, kBloomImage};

// The program that has just the effects this frame uses compiled in.
const ShaderProgram& lightingProgram(const ShaderPrograms& programs)
{
    return programs.lightingVariants[lightingVariantIndex(activeLightingEffects())];
}

}  // namespace

// Runs every frame, into the window's framebuffer. The pale green clear
// colour should never be seen: it only shows through gaps in the hallway.
constinit const RenderPass lightingPass{
    .name = "lighting",
    .viewportSize = wholeFrame,
    .clearColour = ClearColour{0.45f, 0.85f, 0.45f, 1.0f},
    .samples = kLightingSamples,
    // Built in kLightingVariantCount forms from these files (see
    // lighting_program.h); the slot keeps the form with every effect.
    .shaderFiles = {"data/shader/pointLightNormal.vs", nullptr, "data/shader/pointLightNormal.fs"},
    .programSlot = &ShaderPrograms::lightingShader,
    .chooseProgram = lightingProgram,
    .setUp = prepareLightingPass,
    .drawList = []() -> const DrawList& { return litObjects; },
};
