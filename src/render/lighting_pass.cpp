#include "render/lighting_pass.h"

#include "camera/camera.h"
#include "common/render_toggles.h"
#include "common/window.h"
#include "render/bloom_blur_pass.h"
#include "render/draw_lists.h"
#include "render/god_ray_pass.h"
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

int lightingVariantIndex(const LightingEffects& effects)
{
    return (effects.shadows ? 1 : 0) | (effects.godRays ? 2 : 0) | (effects.bloom ? 4 : 0);
}

LightingEffects lightingEffectsAt(int index)
{
    return LightingEffects{(index & 1) != 0, (index & 2) != 0, (index & 4) != 0};
}

std::string lightingDefinitions(const LightingEffects& effects)
{
    const auto line = [](const char* name, bool on) { return std::string("#define ") + name + (on ? " 1\n" : " 0\n"); };
    return line("SHADOWS", effects.shadows) + line("GOD_RAYS", effects.godRays) + line("BLOOM", effects.bloom);
}

LightingVariants buildLightingVariants(const ShaderSources& sources, const ShaderProgram& allEffects)
{
    LightingVariants variants;
    const int allEffectsIndex = lightingVariantIndex(LightingEffects{});
    for (int index = 0; index < kLightingVariantCount; ++index) {
        if (index == allEffectsIndex || !allEffects.linked()) {
            variants[index] = allEffects;
            continue;
        }
        variants[index] = ShaderProgram(sources, lightingDefinitions(lightingEffectsAt(index)));
        assignLightingDefaults(variants[index]);
    }
    return variants;
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

void assignLightingDefaults(const ShaderProgram& lightingShader)
{
    const GLuint program = lightingShader.program;
    glUseProgram(program);
    setUniformFloat(program, "screen.width", static_cast<float>(kWindowWidth));
    setUniformFloat(program, "screen.height", static_cast<float>(kWindowHeight));
    setUniformInt(program, "shadow.map", kShadowMapUnit);
    setUniformInt(program, "godRays.map", kGodRayMapUnit);
    setUniformInt(program, "bloom.map", kBloomMapUnit);
    glUseProgram(0);
}

void prepareLightingPass(const ShaderProgram& lightingShader)
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

    setUniformInt(program, "shadow.on", shadowOn ? 1 : 0);
    if (shadowOn) {
        setUniformFloat(program, "shadow.far", farPlane);
        setUniformFloat(program, "screen.width", static_cast<float>(kWindowWidth));
        setUniformFloat(program, "screen.height", static_cast<float>(kWindowHeight));
        glActiveTexture(GL_TEXTURE0 + kShadowMapUnit);
        setUniformInt(program, "shadow.map", kShadowMapUnit);
        glBindTexture(GL_TEXTURE_CUBE_MAP, shadowCubeMap);
    }

    const std::optional<glm::vec2> lightOnScreen = godRaySource(projection * view);
    setUniformInt(program, "godRays.on", lightOnScreen ? 1 : 0);
    if (lightOnScreen) {
        setUniformVec2(program, "godRays.lightScreenPosition", *lightOnScreen);
        setUniformFloat(program, "godRays.exposure", kGodRayExposure);
        setUniformFloat(program, "godRays.decay", kGodRayDecay);
        setUniformFloat(program, "godRays.density", kGodRayDensity);
        setUniformFloat(program, "godRays.weight", kGodRayWeight);
        glActiveTexture(GL_TEXTURE0 + kGodRayMapUnit);
        setUniformInt(program, "godRays.map", kGodRayMapUnit);
        glBindTexture(GL_TEXTURE_2D, godRayTarget.colourTexture);
    }

    setUniformInt(program, "bloom.on", bloomOn ? 1 : 0);
    if (bloomOn) {
        glActiveTexture(GL_TEXTURE0 + kBloomMapUnit);
        setUniformInt(program, "bloom.map", kBloomMapUnit);
        glBindTexture(GL_TEXTURE_2D, bloomBlurTarget.colourTexture);
    }
}

namespace {

// The program that has just the effects this frame uses compiled in.
const ShaderProgram& lightingProgram(const ShaderPrograms& programs)
{
    return programs.lightingVariants[lightingVariantIndex(activeLightingEffects())];
}

void drawLitScene(const ShaderProgram& lightingShader)
{
    prepareLightingPass(lightingShader);
    drawList(litObjects, lightingShader);
}

}  // namespace

// Runs every frame, into the window's framebuffer. The pale green clear
// colour should never be seen: it only shows through gaps in the hallway.
constinit const RenderPass lightingPass{
    .name = "lighting",
    .viewportWidth = kWindowWidth,
    .viewportHeight = kWindowHeight,
    .clearColour = ClearColour{0.45f, 0.85f, 0.45f, 1.0f},
    .program = lightingProgram,
    .setUpAndDraw = drawLitScene,
};
