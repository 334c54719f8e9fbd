// The lighting pass's uniforms and texture units as GL holds them after
// prepareLightingPass, on a program that keeps every uniform of the
// lighting contract alive (the real shader lets the driver drop unused ones).
// And the real lighting program's output for a mesh without normals, read
// back from a float target, which keeps a NaN as the shader wrote it.
#include "camera/camera.h"
#include "common/render_toggles.h"
#include "render/lighting_pass.h"
#include "render/pass_images.h"
#include "render/pass_runner.h"
#include "render/pass_table.h"
#include "render/point_light.h"
#include "render/shader_programs.h"
#include "support/captured_output.h"
#include "support/gl_probes.h"
#include "support/global_state.h"
#include "support/started_viewer.h"
#include "support/temp_dir.h"
#include "support/test_root.h"
#include "support/uniform_readback.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

const char* kContractVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
uniform mat4 projection;
uniform mat4 view;
uniform mat4 model;
void main() { gl_Position = projection * view * model * vec4(position, 1.0); }
)";

const char* kContractFragment = R"(#version 330 core
struct PointLightParams { vec3 position; vec3 ambient; vec3 diffuse; vec3 specular;
                          float constant; float linear; float quadratic; };
struct Material { sampler2D diffuse; sampler2D specular; sampler2D normal; float shininess; };
struct Shadow { bool on; samplerCube map; float far; };
struct GodRays { bool on; sampler2D map; vec2 lightScreenPosition; float exposure; float decay;
                 float density; float weight; };
struct Bloom { bool on; sampler2D map; };
struct Screen { float width; float height; };
uniform PointLightParams pointLights[16];
uniform Material material;
uniform Shadow shadow;
uniform GodRays godRays;
uniform Bloom bloom;
uniform Screen screen;
uniform vec3 viewPos;
out vec4 colour;
void main()
{
    vec3 sum = viewPos;
    float f = material.shininess + shadow.far + screen.width + screen.height + godRays.exposure
            + godRays.decay + godRays.density + godRays.weight + godRays.lightScreenPosition.x
            + godRays.lightScreenPosition.y + float(shadow.on) + float(godRays.on) + float(bloom.on);
    for (int i = 0; i < 16; ++i) {
        sum += pointLights[i].position + pointLights[i].ambient + pointLights[i].diffuse + pointLights[i].specular;
        f += pointLights[i].constant + pointLights[i].linear + pointLights[i].quadratic;
    }
    sum += texture(material.diffuse, vec2(0.5)).rgb + texture(material.specular, vec2(0.5)).rgb
         + texture(material.normal, vec2(0.5)).rgb + texture(godRays.map, vec2(0.5)).rgb
         + texture(bloom.map, vec2(0.5)).rgb + texture(shadow.map, vec3(1.0)).rrr;
    colour = vec4(sum, f);
}
)";

struct LightingPassTest : testing::Test {
    StartedViewer& viewer = startedViewer();
    TempDir dir;
    ShaderProgram program;
    PointLight first;
    PointLight second;
    // What the frame would hand the pass: the images the table's earlier
    // rows make.
    const std::vector<SampledImage> images = passImages(lightingPass);

    void SetUp() override
    {
        resetGlobalState();
        dir.write("contract.vs", kContractVertex);
        dir.write("contract.fs", kContractFragment);
        const std::string vs = dir.file("contract.vs");
        const std::string fs = dir.file("contract.fs");
        const std::string out = captureStdout([&] { program = ShaderProgram(ShaderFiles{vs.c_str(), nullptr, fs.c_str()}); });
        ASSERT_EQ(out, "");

        first = PointLight{0, {0.5f, 2.0f, 0.0f}, {0.5f, 0.4f, 0.4f}, {1.0f, 0.2f, 0.2f}, {0.9f, 0.2f, 0.2f},
                           0.5f, 0.4f, 0.25f};
        second = PointLight{1, {-3.0f, 1.0f, 0.5f}, {0.1f, 0.2f, 0.3f}, {0.4f, 0.5f, 0.6f}, {0.7f, 0.8f, 0.9f},
                            1.0f, 0.09f, 0.032f};
        lights = {&first, &second};
    }
    void TearDown() override
    {
        lights.clear();
        resetGlobalState();
    }

    GLuint boundTexture(GLint unit, GLenum binding) const
    {
        glActiveTexture(GL_TEXTURE0 + unit);
        GLint name = 0;
        glGetIntegerv(binding, &name);
        return static_cast<GLuint>(name);
    }
};

void expectLightUniforms(GLuint program, const PointLight& light)
{
    const std::string slot = "pointLights[" + std::to_string(light.index) + "]";
    EXPECT_EQ(uniformVec3(program, slot + ".position"), light.position);
    EXPECT_EQ(uniformVec3(program, slot + ".ambient"), light.ambient);
    EXPECT_EQ(uniformVec3(program, slot + ".diffuse"), light.diffuse);
    EXPECT_EQ(uniformVec3(program, slot + ".specular"), light.specular);
    EXPECT_FLOAT_EQ(uniformFloat(program, slot + ".constant"), light.constant);
    EXPECT_FLOAT_EQ(uniformFloat(program, slot + ".linear"), light.linear);
    EXPECT_FLOAT_EQ(uniformFloat(program, slot + ".quadratic"), light.quadratic);
}

TEST_F(LightingPassTest, SendsEveryLightIntoItsOwnSlot)
{
    prepareLightingPass(program, images);
    expectLightUniforms(program.program, first);
    expectLightUniforms(program.program, second);
}

TEST_F(LightingPassTest, LightWithIndexTwelveFillsSlotTwelve)
{
    second.index = 12;
    prepareLightingPass(program, images);
    expectLightUniforms(program.program, second);
    EXPECT_EQ(uniformVec3(program.program, "pointLights[1].position"), glm::vec3(0.0f));
}

TEST_F(LightingPassTest, AllEffectsOnSendCameraConstantsAndBindTheirImages)
{
    camera.position = {-3.0f, 1.0f, 0.0f};
    prepareLightingPass(program, images);
    const GLuint p = program.program;

    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<GLuint>(current), p);
    EXPECT_EQ(uniformVec3(p, "viewPos"), camera.position);
    EXPECT_EQ(uniformMat4(p, "projection"), camera.projectionMatrix());
    EXPECT_EQ(uniformMat4(p, "view"), camera.viewMatrix());
    EXPECT_FLOAT_EQ(uniformFloat(p, "material.shininess"), 32.0f);

    EXPECT_EQ(uniformInt(p, "shadow.on"), 1);
    EXPECT_FLOAT_EQ(uniformFloat(p, "shadow.far"), 10.0f);
    EXPECT_FLOAT_EQ(uniformFloat(p, "screen.width"), 1280.0f);
    EXPECT_FLOAT_EQ(uniformFloat(p, "screen.height"), 720.0f);
    EXPECT_EQ(uniformInt(p, "shadow.map"), 3);

    EXPECT_EQ(uniformInt(p, "godRays.on"), 1);
    EXPECT_FLOAT_EQ(uniformFloat(p, "godRays.exposure"), 0.05f);
    EXPECT_FLOAT_EQ(uniformFloat(p, "godRays.decay"), 0.98f);
    EXPECT_FLOAT_EQ(uniformFloat(p, "godRays.density"), 1.0f);
    EXPECT_FLOAT_EQ(uniformFloat(p, "godRays.weight"), 0.8f);
    EXPECT_EQ(uniformInt(p, "godRays.map"), 4);

    EXPECT_EQ(uniformInt(p, "bloom.on"), 1);
    EXPECT_EQ(uniformInt(p, "bloom.map"), 5);

    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE5);
    // Each unit holds the image of that name that the table's passes make.
    const auto made = [](const char* name) { return *findProducer(passTable(), name)->texture; };
    EXPECT_EQ(boundTexture(3, GL_TEXTURE_BINDING_CUBE_MAP), made(kShadowMapImage));
    EXPECT_EQ(boundTexture(4, GL_TEXTURE_BINDING_2D), made(kGodRayImage));
    EXPECT_EQ(boundTexture(5, GL_TEXTURE_BINDING_2D), made(kBloomImage));
}

TEST_F(LightingPassTest, LightAheadOfTheCameraSitsAtTheCentreOfTheScreen)
{
    camera.position = {-3.0f, 2.0f, 0.0f};
    first.position = {0.0f, 2.0f, 0.0f};
    prepareLightingPass(program, images);
    const glm::vec2 onScreen = uniformVec2(program.program, "godRays.lightScreenPosition");
    EXPECT_NEAR(onScreen.x, 0.0f, 1e-5f);
    EXPECT_NEAR(onScreen.y, 0.0f, 1e-5f);
}

TEST_F(LightingPassTest, LightBehindTheCameraOrOnItsEyePlaneCastsNoGodRays)
{
    for (const glm::vec3& lightAt : {glm::vec3(-9.0f, 2.0f, 0.0f), glm::vec3(-7.0f, 1.0f, 3.0f)}) {
        first.position = lightAt;
        prepareLightingPass(program, images);
        EXPECT_EQ(uniformInt(program.program, "godRays.on"), 0);
    }
    EXPECT_FALSE(lightScreenPosition(camera.projectionMatrix() * camera.viewMatrix(), {-9.0f, 2.0f, 0.0f}));
}

TEST_F(LightingPassTest, SwitchedOffEffectsLeaveTheirUniformsAndUnitsUntouched)
{
    const GLuint p = program.program;
    glUseProgram(p);
    glUniform1f(glGetUniformLocation(p, "shadow.far"), 7.0f);
    glUniform1f(glGetUniformLocation(p, "screen.width"), 3.0f);
    glUniform1i(glGetUniformLocation(p, "shadow.map"), 9);
    glUniform1f(glGetUniformLocation(p, "godRays.exposure"), 2.0f);
    glUniform1i(glGetUniformLocation(p, "bloom.map"), 8);
    GLuint markers[2] = {};
    glGenTextures(2, markers);
    const GLuint cubeMarker = markers[0];
    const GLuint marker = markers[1];
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMarker);
    for (GLint unit : {4, 5}) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, marker);
    }
    glActiveTexture(GL_TEXTURE1);

    shadowOn = false;
    godRaysOn = false;
    bloomOn = false;
    prepareLightingPass(program, images);

    EXPECT_EQ(uniformInt(p, "shadow.on"), 0);
    EXPECT_EQ(uniformInt(p, "godRays.on"), 0);
    EXPECT_EQ(uniformInt(p, "bloom.on"), 0);
    EXPECT_FLOAT_EQ(uniformFloat(p, "shadow.far"), 7.0f);
    EXPECT_FLOAT_EQ(uniformFloat(p, "screen.width"), 3.0f);
    EXPECT_EQ(uniformInt(p, "shadow.map"), 9);
    EXPECT_FLOAT_EQ(uniformFloat(p, "godRays.exposure"), 2.0f);
    EXPECT_EQ(uniformInt(p, "bloom.map"), 8);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE1);
    EXPECT_EQ(boundTexture(3, GL_TEXTURE_BINDING_CUBE_MAP), cubeMarker);
    EXPECT_EQ(boundTexture(4, GL_TEXTURE_BINDING_2D), marker);
    EXPECT_EQ(boundTexture(5, GL_TEXTURE_BINDING_2D), marker);
    glDeleteTextures(2, markers);
}

TEST_F(LightingPassTest, MeshWithoutNormalsOrTangentsGetsTheAmbientTermAloneAndNoNaN)
{
    constexpr GLsizei kSize = 16;
    GLuint colour = 0;
    GLuint framebuffer = 0;
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, kSize, kSize, 0, GL_RGBA, GL_FLOAT, nullptr);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    glViewport(0, 0, kSize, kSize);
    glDisable(GL_CULL_FACE);

    // Zero normals, tangents and bitangents, as import leaves a mesh that has
    // none, on a square filling the view of the camera at (-7, 1, 0); the
    // light close in front would add diffuse light for any normal at all.
    first.position = {-6.5f, 1.0f, 0.0f};
    shadowOn = godRaysOn = bloomOn = false;
    const glm::vec3 no(0.0f);
    const Mesh square({{{-6.0f, -2.0f, -3.0f}, no, {0.0f, 0.0f}, no, no}, {{-6.0f, -2.0f, 3.0f}, no, {1.0f, 0.0f}, no, no},
                       {{-6.0f, 4.0f, 3.0f}, no, {1.0f, 1.0f}, no, no}, {{-6.0f, 4.0f, -3.0f}, no, {0.0f, 1.0f}, no, no}},
                      {0, 1, 2, 0, 2, 3},
                      {{probes::solidTexture(255, 255, 255), "material.diffuse", {}},
                       {probes::solidTexture(128, 128, 255), "material.normal", {}}});
    prepareLightingPass(viewer.programs.lightingShader, passImages(lightingPass));
    setUniformMat4(viewer.programs.lightingShader.program, "model", glm::mat4(1.0f));
    square.draw(viewer.programs.lightingShader);

    std::vector<glm::vec4> texels(static_cast<size_t>(kSize) * kSize);
    glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, texels.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    for (const glm::vec4& t : texels) {
        ASSERT_FALSE(glm::any(glm::isnan(t)) || glm::any(glm::isinf(t))) << t.r << " " << t.g << " " << t.b;
        ASSERT_LT(glm::distance(glm::vec3(t), first.ambient), 1e-5f) << t.r << " " << t.g << " " << t.b;
    }
}

}  // namespace

// Start-up builds eight lighting programs from the lighting files; a missing
// or broken file must still read as one program's messages, printed once.
TEST(LightingVariants, MissingOrBrokenLightingFileGivesOneProgramsMessagesOnce)
{
    startedViewer();
    const std::filesystem::path shaders = std::filesystem::path(testRoot()) / "data/shader";
    for (const char* damage : {"missing", "broken"}) {
        TempDir dir;
        std::filesystem::create_directories(dir.file("data"));
        std::filesystem::copy(shaders, dir.file("data/shader"));
        const std::string fragment = dir.file("data/shader/pointLightNormal.fs");
        if (std::string(damage) == "missing") {
            std::filesystem::remove(fragment);
        } else {
            dir.write("data/shader/pointLightNormal.fs", "#version 330 core\nvoid main() { undeclared = 1.0; }\n");
        }

        ASSERT_EQ(chdir(dir.path.c_str()), 0);
        ShaderPrograms programs;
        const std::string printedByStartup = captureStdout([&] { programs = buildShaderPrograms(); });
        const std::string printedByOne = captureStdout([] {
            ShaderProgram(ShaderFiles{"data/shader/pointLightNormal.vs", nullptr, "data/shader/pointLightNormal.fs"});
        });
        ASSERT_EQ(chdir(testRoot().c_str()), 0);

        EXPECT_NE(printedByOne, "") << damage;
        EXPECT_EQ(printedByStartup, printedByOne) << damage;
    }
}
