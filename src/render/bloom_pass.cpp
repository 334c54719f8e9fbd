#include "render/bloom_pass.h"

#include "camera/camera.h"
#include "render/point_light.h"
#include "render/render_targets.h"
#include "render/uniforms.h"

namespace {
// The blur reads the bright image on unit 0: it draws only the screen quad,
// which binds no textures of its own.
constexpr GLint kBrightImageUnit = 0;
}  // namespace

void prepareBloomPass(const ShaderProgram& bloomShader, const PointLight& light)
{
    glUseProgram(bloomShader.program);
    setUniformMat4(bloomShader.program, "projection", camera.projectionMatrix());
    setUniformMat4(bloomShader.program, "view", camera.viewMatrix());
    setUniformVec3(bloomShader.program, "lightPos", light.position);
}

void prepareBlurPass(const ShaderProgram& blurShader)
{
    glUseProgram(blurShader.program);
    glActiveTexture(GL_TEXTURE0 + kBrightImageUnit);
    setUniformInt(blurShader.program, "bloomMap", kBrightImageUnit);
    glBindTexture(GL_TEXTURE_2D, bloomBrightTarget.colourTexture);
}
