#include "render/shadow_pass.h"

#include "common/render_toggles.h"
#include "render/draw_lists.h"
#include "render/pass_images.h"
#include "render/point_light.h"
#include "render/shader_programs.h"
#include "render/uniforms.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <iostream>
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

ShadowPassForm shadowPassForm =
    VORLUNE_GL_LAYERED_TARGETS ? ShadowPassForm::OneLayeredDraw : ShadowPassForm::DrawPerFace;
GLuint shadowCubeMap = 0;
GLuint shadowFramebuffer = 0;
GLuint shadowFaceCubeMap = 0;
GLuint shadowFaceFramebuffers[kCubeFaceCount] = {};
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

namespace {

// The cube map's storage and sampling, the same in either form: nearest,
// as depth is compared, not blended.
GLuint createShadowCubeMap()
{
    GLuint cubeMap = 0;
    glGenTextures(1, &cubeMap);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    for (int face = 0; face < kCubeFaceCount; ++face) {
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, kShadowDepthFormat, kShadowMapSize, kShadowMapSize,
                     0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    return cubeMap;
}

void reportIfIncomplete()
{
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::cout << "Framebuffer not complete!" << std::endl;
    }
}

#if VORLUNE_GL_LAYERED_TARGETS
// Made through the core framebuffer calls: the layered attachment that lets
// one draw fill all six faces has no counterpart in the older extension.
void createShadowTarget()
{
    glGenFramebuffers(1, &shadowFramebuffer);
    shadowCubeMap = createShadowCubeMap();

    // One layered attachment: the geometry stage picks the face per triangle.
    glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, shadowCubeMap, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    reportIfIncomplete();
}
#endif

// The per-face form: one framebuffer per face, each with that face alone
// attached, so six draws fill what one layered draw does.
void createShadowFaceTargets()
{
    glGenFramebuffers(kCubeFaceCount, shadowFaceFramebuffers);
    shadowFaceCubeMap = createShadowCubeMap();
    const GLenum noColour = GL_NONE;
    for (int face = 0; face < kCubeFaceCount; ++face) {
        glBindFramebuffer(GL_FRAMEBUFFER, shadowFaceFramebuffers[face]);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face,
                               shadowFaceCubeMap, 0);
        glDrawBuffers(1, &noColour);
        glReadBuffer(GL_NONE);
        reportIfIncomplete();
    }
}

void selectShadowFace(const ShaderProgram& shadowShader, int face)
{
    setUniformInt(shadowShader.program, "shadowFace", face);
}

// Nothing to draw while the scene has no light (before composition, or if
// it failed): the depth is still cleared, so nothing stale is sampled.
bool setUpShadowCubeMap(const ShaderProgram& shadowShader, std::span<const SampledImage> /*images*/)
{
    if (lights.empty()) {
        return false;
    }
    prepareShadowPass(shadowShader, *firstLight());
    return true;
}

// Depth only, cleared before the depth test is enabled. Front faces are
// culled so the casters' back faces are stored: the depth then lies behind
// each caster's lit surface, which keeps acne off it. The two forms differ
// only in their target and in how their draws reach its faces.
constexpr RenderPass shadowPassRow(const GLuint* framebuffers, int layerCount,
                                   void (*selectLayer)(const ShaderProgram&, int), void (*createTarget)(),
                                   const GLuint* cubeMap, ShaderFiles shaderFiles)
{
    return {
        .name = "shadow cube map",
        .toggle = &shadowOn,
        .viewportSize = [] { return FrameSize{kShadowMapSize, kShadowMapSize}; },
        .framebuffer = framebuffers,
        .layerCount = layerCount,
        .selectLayer = selectLayer,
        .clearsFirst = true,
        .culledFace = GL_FRONT,
        .clearMask = GL_DEPTH_BUFFER_BIT,
        .createTarget = createTarget,
        .produces = PassImage{kShadowMapImage, GL_TEXTURE_CUBE_MAP, cubeMap},
        .shaderFiles = shaderFiles,
        .programSlot = &ShaderPrograms::shadowShader,
        .setUp = setUpShadowCubeMap,
        .drawList = []() -> const DrawList& { return shadowCasters; },
    };
}

}  // namespace

#if VORLUNE_GL_LAYERED_TARGETS
constinit const RenderPass shadowCubeMapPass =
    shadowPassRow(&shadowFramebuffer, 1, nullptr, createShadowTarget, &shadowCubeMap,
                  {"data/shader/shadowDepth.vs", "data/shader/shadowDepth.gs", "data/shader/shadowDepth.fs"});
#endif

// The same pass in six draws per caster, one face at a time, the faces'
// matrices set once and the face chosen per draw. Its vertex stage projects
// into the one face each draw names, so it needs no geometry stage.
constinit const RenderPass shadowCubeFacesPass =
    shadowPassRow(shadowFaceFramebuffers, kCubeFaceCount, selectShadowFace, createShadowFaceTargets,
                  &shadowFaceCubeMap, {"data/shader/shadowFaceDepth.vs", nullptr, "data/shader/shadowDepth.fs"});

const RenderPass& shadowPass()
{
#if VORLUNE_GL_LAYERED_TARGETS
    if (shadowPassForm == ShadowPassForm::OneLayeredDraw) {
        return shadowCubeMapPass;
    }
#endif
    return shadowCubeFacesPass;
}
