#include "render/lighting_pass.h"

#include "app/frame_loop.h"
#include "app/render_targets.h"
#include "app/window.h"
#include "camera/camera.h"
#include "render/point_light.h"
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

    std::optional<glm::vec2> lightOnScreen;
    if (godRaysOn && !lights.empty()) {
        lightOnScreen = lightScreenPosition(projection * view, firstLight()->position);
    }
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
