#include "render/shadow_pass.h"

#include "render/point_light.h"
#include "render/uniforms.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <string>

namespace {

struct CubeFace {
    glm::vec3 direction;
    glm::vec3 up;
};

// GL's cube-map convention: the faces' up vectors point down the image's
// t axis, hence -Y for the side faces.
constexpr std::array<CubeFace, kCubeFaceCount> kCubeFaces{{
    {{1.0f, 0.0f, 0.0f}, {0.0f, -1.0f, 0.0f}},
    {{-1.0f, 0.0f, 0.0f}, {0.0f, -1.0f, 0.0f}},
    {{0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},
    {{0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, -1.0f}},
    {{0.0f, 0.0f, 1.0f}, {0.0f, -1.0f, 0.0f}},
    {{0.0f, 0.0f, -1.0f}, {0.0f, -1.0f, 0.0f}},
}};

// Ninety degrees, so the six faces tile the full sphere around the light.
constexpr float kCubeFaceFieldOfView = glm::half_pi<float>();
constexpr float kCubeFaceAspect = 1.0f;

}  // namespace

float farPlane = kShadowFarPlane;
glm::mat4 shadowProjection{1.0f};

glm::mat4 makeShadowProjection()
{
    return glm::perspective(kCubeFaceFieldOfView, kCubeFaceAspect, kShadowNearPlane, kShadowFarPlane);
}

std::array<glm::mat4, kCubeFaceCount> shadowFaceMatrices(const glm::vec3& lightPosition)
{
    std::array<glm::mat4, kCubeFaceCount> matrices;
    for (int i = 0; i < kCubeFaceCount; ++i) {
        const CubeFace& face = kCubeFaces[i];
        matrices[i] = shadowProjection * glm::lookAt(lightPosition, lightPosition + face.direction, face.up);
    }
    return matrices;
}

void prepareShadowPass(const ShaderProgram& shadowShader, const PointLight& light)
{
    const auto faceMatrices = shadowFaceMatrices(light.position);
    glUseProgram(shadowShader.program);
    for (int i = 0; i < kCubeFaceCount; ++i) {
        setUniformMat4(shadowShader.program, "shadowTransforms[" + std::to_string(i) + "]", faceMatrices[i]);
    }
    setUniformFloat(shadowShader.program, "far_plane", farPlane);
    setUniformVec3(shadowShader.program, "lightPos", light.position);
    light.setUniforms(shadowShader.program);
}
