// The real lighting program's output, read back from a float target, which
// keeps a NaN or an infinity as the shader wrote it.
#include "app/frame_loop.h"
#include "model/gl_probes.h"
#include "model/mesh.h"
#include "render/lighting_pass.h"
#include "render/point_light.h"
#include "render/uniforms.h"
#include "support/global_state.h"
#include "support/started_viewer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr GLsizei kTargetSize = 16;

TEST(LightingShader, MeshWithoutNormalsOrTangentsIsLitByTheAmbientTermAloneAndStaysFinite)
{
    const ShaderProgram& lighting = startedViewer().programs.lightingShader;
    resetGlobalState();
    shadowOn = godRaysOn = bloomOn = false;
    const std::vector<PointLight*> sceneLights = lights;
    // Close in front of the surface: with any normal at all it would add
    // diffuse light.
    PointLight light{0, {-6.5f, 1.0f, 0.0f}, {0.2f, 0.1f, 0.05f}, {1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f},
                     1.0f, 0.0f, 0.0f};
    lights = {&light};

    GLuint colour = 0;
    GLuint framebuffer = 0;
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, kTargetSize, kTargetSize, 0, GL_RGBA, GL_FLOAT, nullptr);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    glViewport(0, 0, kTargetSize, kTargetSize);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    // A square across the whole view of the camera at (-7, 1, 0), with white
    // diffuse and specular images and a flat normal map, but zero normals,
    // tangents and bitangents, as import leaves a mesh that has none.
    const glm::vec3 none(0.0f);
    std::vector<Vertex> corners;
    for (const glm::vec2 c : {glm::vec2(-3.0f, -3.0f), glm::vec2(3.0f, -3.0f), glm::vec2(3.0f, 3.0f),
                              glm::vec2(-3.0f, 3.0f)}) {
        corners.push_back({{-6.0f, 1.0f + c.y, c.x}, none, (c + 3.0f) / 6.0f, none, none});
    }
    const GLuint white = probes::solidTexture(255, 255, 255);
    const GLuint flatNormal = probes::solidTexture(128, 128, 255);
    const Mesh square(corners, {0, 1, 2, 0, 2, 3},
                      {{white, "material.diffuse", {}}, {white, "material.specular", {}},
                       {flatNormal, "material.normal", {}}});
    prepareLightingPass(lighting);
    setUniformMat4(lighting.program, "model", glm::mat4(1.0f));
    square.draw(lighting);

    std::vector<glm::vec4> texels(static_cast<size_t>(kTargetSize) * kTargetSize);
    glReadPixels(0, 0, kTargetSize, kTargetSize, GL_RGBA, GL_FLOAT, texels.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    lights = sceneLights;
    resetGlobalState();

    int notFinite = 0;
    int notAmbient = 0;
    for (const glm::vec4& t : texels) {
        notFinite += std::isfinite(t.r) && std::isfinite(t.g) && std::isfinite(t.b) && std::isfinite(t.a) ? 0 : 1;
        notAmbient += glm::distance(glm::vec3(t), light.ambient) < 1e-5f && t.a == 1.0f ? 0 : 1;
    }
    EXPECT_EQ(notFinite, 0);
    EXPECT_EQ(notAmbient, 0) << "first texel " << texels[0].r << " " << texels[0].g << " " << texels[0].b;
}

}  // namespace
