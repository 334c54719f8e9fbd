// Set-ups of the shadow, god-ray, bloom and blur passes as GL receives them,
// and the full-screen quad the blur draws.
#include "camera/camera.h"
#include "render/bloom_blur_pass.h"
#include "render/bloom_pass.h"
#include "render/god_ray_pass.h"
#include "render/pass_runner.h"
#include "render/point_light.h"
#include "render/render_targets.h"
#include "render/screen_quad.h"
#include "render/shadow_pass.h"
#include "support/captured_output.h"
#include "support/global_state.h"
#include "support/started_viewer.h"
#include "support/temp_dir.h"
#include "support/uniform_readback.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const char* kShadowContractVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
uniform mat4 model;
void main() { gl_Position = model * vec4(position, 1.0); }
)";
const char* kShadowContractGeometry = R"(#version 330 core
layout(triangles) in;
layout(triangle_strip, max_vertices = 18) out;
uniform mat4 shadowTransforms[6];
void main()
{
    for (int f = 0; f < 6; ++f) {
        gl_Layer = f;
        for (int i = 0; i < 3; ++i) { gl_Position = shadowTransforms[f] * gl_in[i].gl_Position; EmitVertex(); }
        EndPrimitive();
    }
}
)";
const char* kShadowContractFragment = R"(#version 330 core
struct PointLightParams { vec3 position; vec3 ambient; vec3 diffuse; vec3 specular;
                          float constant; float linear; float quadratic; };
uniform PointLightParams pointLights[1];
uniform vec3 lightPos;
uniform float far_plane;
void main()
{
    PointLightParams l = pointLights[0];
    float keep = dot(l.position + l.ambient + l.diffuse + l.specular, vec3(1.0)) + l.constant + l.linear + l.quadratic;
    gl_FragDepth = clamp(length(lightPos) / far_plane + keep * 1e-6, 0.0, 1.0);
}
)";

struct EffectPassesTest : testing::Test {
    StartedViewer& viewer = startedViewer();
    TempDir dir;
    PointLight light{0, {0.3f, 2.0f, 0.0f}, {0.5f, 0.4f, 0.4f}, {1.0f, 0.2f, 0.2f}, {0.9f, 0.2f, 0.2f},
                     0.5f, 0.4f, 0.25f};

    void SetUp() override { resetGlobalState(); }
    void TearDown() override { resetGlobalState(); }

    ShaderProgram build(const char* vs, const char* gs, const char* fs)
    {
        dir.write("p.vs", vs);
        dir.write("p.fs", fs);
        if (gs != nullptr) {
            dir.write("p.gs", gs);
        }
        const std::string v = dir.file("p.vs");
        const std::string g = dir.file("p.gs");
        const std::string f = dir.file("p.fs");
        ShaderProgram program;
        EXPECT_EQ(captureStdout([&] { program = ShaderProgram(ShaderFiles{v.c_str(), gs ? g.c_str() : nullptr, f.c_str()}); }), "");
        return program;
    }
};

TEST_F(EffectPassesTest, ShadowPassSendsFaceMatricesFarPlaneAndTheLight)
{
    const ShaderProgram program = build(kShadowContractVertex, kShadowContractGeometry, kShadowContractFragment);
    prepareShadowPass(program, light);
    const auto faces = shadowFaceMatrices(light.position);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(uniformMat4(program.program, "shadowTransforms[" + std::to_string(i) + "]"), faces[i]);
    }
    EXPECT_FLOAT_EQ(uniformFloat(program.program, "far_plane"), 10.0f);
    EXPECT_EQ(uniformVec3(program.program, "lightPos"), light.position);
    EXPECT_EQ(uniformVec3(program.program, "pointLights[0].diffuse"), light.diffuse);
    EXPECT_FLOAT_EQ(uniformFloat(program.program, "pointLights[0].quadratic"), light.quadratic);
}

TEST_F(EffectPassesTest, RealShadowShaderWritesDistanceOverFarIntoEveryFace)
{
    // One triangle 2 units below the light, facing away from it (the pass
    // culls front faces), must land in the -Y face at depth 0.2.
    const ShaderProgram& shadow = viewer.programs.shadowShader;
    light.position = {0.0f, 2.0f, 0.0f};
    const float triangle[] = {-1.0f, 0.0f, -1.0f, 1.0f, 0.0f, -1.0f, 0.0f, 0.0f, 2.0f};
    GLuint vao = 0;
    GLuint vbo = 0;
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof(triangle), triangle, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 12, nullptr);

    glViewport(0, 0, kShadowMapSize, kShadowMapSize);
    glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    prepareShadowPass(shadow, light);
    glUniformMatrix4fv(glGetUniformLocation(shadow.program, "model"), 1, GL_FALSE, &glm::mat4(1.0f)[0][0]);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindVertexArray(0);

    std::vector<float> depth(kShadowMapSize * kShadowMapSize);
    glBindTexture(GL_TEXTURE_CUBE_MAP, shadowCubeMap);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    const float centre = depth[(kShadowMapSize / 2) * kShadowMapSize + kShadowMapSize / 2];
    EXPECT_NEAR(centre, 0.2f, 0.002f);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_Y, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    EXPECT_FLOAT_EQ(depth[(kShadowMapSize / 2) * kShadowMapSize + kShadowMapSize / 2], 1.0f);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
}

TEST_F(EffectPassesTest, GodRayAndBloomPassesSendTheCameraAndTheLight)
{
    camera.position = {-2.0f, 1.0f, 0.5f};
    const ShaderProgram& godRays = viewer.programs.godRayShader;
    prepareGodRayPass(godRays);
    EXPECT_EQ(uniformMat4(godRays.program, "projection"), camera.projectionMatrix());
    EXPECT_EQ(uniformMat4(godRays.program, "view"), camera.viewMatrix());

    const ShaderProgram& bloom = viewer.programs.bloomShader;
    prepareBloomPass(bloom, light);
    EXPECT_EQ(uniformMat4(bloom.program, "view"), camera.viewMatrix());
    EXPECT_EQ(uniformVec3(bloom.program, "lightPos"), light.position);
}

TEST_F(EffectPassesTest, BlurPassReadsTheBrightImageOnUnitZero)
{
    glActiveTexture(GL_TEXTURE4);
    prepareBlurPass(viewer.programs.blurShader, passImages(bloomBlurPass));
    GLint active = 0;
    GLint bound = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_EQ(static_cast<GLuint>(bound), bloomBrightTarget.colourTexture);
    EXPECT_EQ(uniformInt(viewer.programs.blurShader.program, "bloomMap"), 0);
}

TEST_F(EffectPassesTest, ScreenQuadIsMadeOnceAndCoversTheWholeBlurTarget)
{
    // Bright image: white everywhere, so the blurred result is white exactly
    // where the quad was drawn.
    glBindFramebuffer(GL_FRAMEBUFFER, bloomBrightTarget.framebuffer);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    glViewport(0, 0, halfFrame().width, halfFrame().height);
    glBindFramebuffer(GL_FRAMEBUFFER, bloomBlurTarget.framebuffer);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    prepareBlurPass(viewer.programs.blurShader, passImages(bloomBlurPass));
    drawScreenQuad();
    const GLuint vertexArray = screenQuadVertexArray;
    const GLuint vertexBuffer = screenQuadVertexBuffer;
    ASSERT_NE(vertexArray, 0u);
    drawScreenQuad();
    EXPECT_EQ(screenQuadVertexArray, vertexArray);
    EXPECT_EQ(screenQuadVertexBuffer, vertexBuffer);
    GLint boundArray = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundArray);
    EXPECT_EQ(boundArray, 0);

    std::vector<GLubyte> pixels(halfFrame().width * halfFrame().height * 4);
    glReadPixels(0, 0, halfFrame().width, halfFrame().height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    size_t unlit = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        unlit += pixels[i] < 250 ? 1 : 0;
    }
    EXPECT_EQ(unlit, 0u);

    GLint size = 0;
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 80);
}

}  // namespace
