// Scene composition with the repository's data and the per-frame animation
// of the alarm-light assembly and the light.
#include "app/frame_clock.h"
#include "app/frame_loop.h"
#include "app/scene.h"
#include "common/render_toggles.h"
#include "model/model.h"
#include "render/point_light.h"
#include "render/pass_runner.h"
#include "render/pass_table.h"
#include "render/shader_programs.h"
#include "render/shadow_pass.h"
#include "support/captured_output.h"
#include "support/framebuffer_pixels.h"
#include "support/global_state.h"
#include "support/started_viewer.h"
#include "support/temp_dir.h"
#include "support/test_root.h"
#include "support/worker_program.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

glm::vec3 translationOf(const Model* model)
{
    return glm::vec3(model->modelMatrix[3]);
}

struct SceneTest : testing::Test {
    StartedViewer& viewer = startedViewer();
    void SetUp() override
    {
        resetGlobalState();
        clearScene();
    }
    void TearDown() override
    {
        clearScene();
        resetGlobalState();
    }
};

TEST_F(SceneTest, ComposesSixteenModelsIntoTheFourListsInDrawingOrder)
{
    std::string out = captureStdout([] { composeScene(kWorkerProgram); });
    EXPECT_EQ(out, "");
    ASSERT_EQ(litObjects.size(), 14u);
    ASSERT_EQ(shadowCasters.size(), 13u);
    ASSERT_EQ(godRayObjects.size(), 3u);
    ASSERT_EQ(bloomObjects.size(), 3u);
    ASSERT_EQ(lights.size(), 1u);

    // lit: hallway, eight pipes, beacon, cage, three slimes.
    EXPECT_EQ(litObjects[9], alarmLight);
    EXPECT_EQ(litObjects[10], alarmLightGrid);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(shadowCasters[i], litObjects[1 + i]) << "pipe " << i;
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(shadowCasters[8 + i], litObjects[11 + i]) << "slime " << i;
        EXPECT_EQ(bloomObjects[i], litObjects[11 + i]) << "slime " << i;
    }
    EXPECT_EQ(shadowCasters[11], alarmLightBlocker);
    EXPECT_EQ(shadowCasters[12], alarmLightBlockerGrid);
    EXPECT_EQ(godRayObjects, (DrawList{alarmLight, alarmLightBlocker, alarmLightBlockerGrid}));

    // Models of one file share its import: one set of buffers and textures.
    EXPECT_EQ(litObjects[1]->meshes.front().vertexBuffer, litObjects[2]->meshes.front().vertexBuffer);
    EXPECT_EQ(litObjects[1]->loadedTextures.front().textureName, litObjects[2]->loadedTextures.front().textureName);
    EXPECT_NE(litObjects[1]->modelMatrix, litObjects[2]->modelMatrix);
    for (const Model* model : litObjects) {
        EXPECT_FALSE(model->meshes.empty());
    }

    EXPECT_EQ(litObjects[0]->modelMatrix, glm::mat4(1.0f));
    EXPECT_EQ(translationOf(litObjects[1]), glm::vec3(0.3f, 0.1f, 0.7f));
    EXPECT_EQ(translationOf(litObjects[8]), glm::vec3(-0.7f, 0.1f, -0.7f));
    EXPECT_EQ(translationOf(litObjects[12]), glm::vec3(-0.3f, 0.1f, 0.4f));
    const glm::mat4 slime = glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(1.4f, 0.1f, -0.3f)),
                                        70.0f * 0.017453292f, glm::vec3(0.0f, 1.0f, 0.0f));
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(litObjects[13]->modelMatrix[c][r], slime[c][r], 1e-6f);
        }
    }

    const PointLight& light = *lights[0];
    EXPECT_EQ(light.index, 0);
    EXPECT_EQ(light.ambient, glm::vec3(0.5f, 0.4f, 0.4f));
    EXPECT_EQ(light.diffuse, glm::vec3(1.0f, 0.2f, 0.2f));
    EXPECT_EQ(light.specular, glm::vec3(0.9f, 0.2f, 0.2f));
    EXPECT_FLOAT_EQ(light.constant, 0.5f);
    EXPECT_FLOAT_EQ(light.linear, 0.4f);
    EXPECT_FLOAT_EQ(light.quadratic, 0.25f);
}

// Escape or the close button while the files load: composition stops after
// the step in hand, silently, and leaves nothing to draw.
TEST_F(SceneTest, WindowClosedWhileLoadingEndsCompositionWithNothingToDraw)
{
    int polls = 0;
    bool composed = true;
    const std::string out = captureStdout([&] { composed = composeScene(kWorkerProgram, [&] { return ++polls < 3; }); });

    EXPECT_FALSE(composed);
    EXPECT_EQ(out, "");
    EXPECT_TRUE(litObjects.empty() && shadowCasters.empty() && lights.empty());
    EXPECT_EQ(alarmLight, nullptr);
}

TEST_F(SceneTest, MissingSlimeFileLeavesThreeEmptyModelsAndTheRestDraws)
{
    TempDir dir;
    std::filesystem::copy(testRoot() + "/data", dir.path + "/data",
                          std::filesystem::copy_options::recursive);
    std::filesystem::remove(dir.path + "/data/models/slime.obj");
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    const std::string out = captureStdout([] { composeScene(kWorkerProgram); });
    ASSERT_EQ(chdir(testRoot().c_str()), 0);

    const std::string line = "ERROR::ASSIMP:: ";
    size_t reports = 0;
    for (size_t at = out.find(line); at != std::string::npos; at = out.find(line, at + 1)) {
        ++reports;
    }
    EXPECT_EQ(reports, 3u) << out;
    ASSERT_EQ(litObjects.size(), 14u);
    ASSERT_EQ(shadowCasters.size(), 13u);
    ASSERT_EQ(bloomObjects.size(), 3u);
    for (const Model* slime : bloomObjects) {
        EXPECT_TRUE(slime->meshes.empty());
    }
    EXPECT_EQ(bloomObjects[0], litObjects[11]);
    EXPECT_FALSE(litObjects[0]->meshes.empty());
    EXPECT_FALSE(alarmLight->meshes.empty());
    EXPECT_NO_THROW(runFrame(viewer.context, viewer.programs));
}

TEST_F(SceneTest, AnimationSwingsTheLightAndTurnsTheAssembly)
{
    composeScene(kWorkerProgram);
    animationTime = 1.0f;
    deltaTime = 0.5f;
    animateScene();
    EXPECT_FLOAT_EQ(animationTime, 1.5f);
    const float swing = 0.5f * std::sin(1.5f);
    EXPECT_EQ(lights[0]->position, glm::vec3(swing, 2.0f, 0.0f));

    struct Expected {
        const Model* model;
        float degrees;
    };
    for (const Expected& e : {Expected{alarmLight, 0.0f}, Expected{alarmLightGrid, -30.0f * 1.5f},
                              Expected{alarmLightBlocker, 290.0f * 1.5f},
                              Expected{alarmLightBlockerGrid, -30.0f * 1.5f}}) {
        const glm::mat4 expected = glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(swing, 2.2f, 0.0f)),
                                               e.degrees * 0.017453292f, glm::vec3(0.0f, 1.0f, 0.0f));
        for (int c = 0; c < 4; ++c) {
            for (int r = 0; r < 4; ++r) {
                EXPECT_NEAR(e.model->modelMatrix[c][r], expected[c][r], 1e-5f) << e.degrees;
            }
        }
    }
    // The rest of the scene stays where composition put it.
    EXPECT_EQ(litObjects[0]->modelMatrix, glm::mat4(1.0f));
}

TEST_F(SceneTest, PausedAnimationHoldsTheClockAndResumesFromIt)
{
    composeScene(kWorkerProgram);
    animationTime = 2.0f;
    deltaTime = 0.25f;
    lightAnimationPaused = true;
    animateScene();
    animateScene();
    EXPECT_FLOAT_EQ(animationTime, 2.0f);
    EXPECT_FLOAT_EQ(lights[0]->position.x, 0.5f * std::sin(2.0f));

    lightAnimationPaused = false;
    animateScene();
    EXPECT_FLOAT_EQ(animationTime, 2.25f);
}

TEST_F(SceneTest, FirstFrameWithShadowsOffStillDrawsTheScene)
{
    // Fresh programs, as at start-up: no frame has set any uniform yet.
    const ShaderPrograms fresh = buildShaderPrograms();
    composeScene(kWorkerProgram);
    shadowOn = false;
    advanceFrame(viewer.context);
    renderFrame(fresh);

    const std::array<GLubyte, 4> centre = readPixel(0, 640, 360);
    const std::array<GLubyte, 4> clearColour{115, 217, 115, 255};
    EXPECT_NE(centre, clearColour) << "the lit scene was not drawn";
}

}  // namespace

// The browser's shadow pass, six draws of one cube face each, must store
// what the one layered draw stores, face for face.
TEST_F(SceneTest, ShadowFacesDrawnOneByOneMatchTheLayeredDraw)
{
    ASSERT_TRUE(composeScene(kWorkerProgram));
    deltaTime = 1.0f;
    animateScene();
    ShaderPrograms perFace;
    perFace.shadowShader = ShaderProgram(shadowCubeFacesPass.shaderFiles);
    ASSERT_TRUE(perFace.shadowShader.linked());
    if (shadowFaceFramebuffers[0] == 0) {
        shadowCubeFacesPass.createTarget();
    }
    runPass(shadowCubeMapPass, viewer.programs, drawModel);
    runPass(shadowCubeFacesPass, perFace, drawModel);

    constexpr float kDepthTolerance = 1e-5f;
    std::vector<float> layered(kShadowMapSize * kShadowMapSize);
    std::vector<float> faces(layered.size());
    for (int face = 0; face < kCubeFaceCount; ++face) {
        SCOPED_TRACE("face " + std::to_string(face));
        const GLenum target = GL_TEXTURE_CUBE_MAP_POSITIVE_X + face;
        glBindTexture(GL_TEXTURE_CUBE_MAP, shadowCubeMap);
        glGetTexImage(target, 0, GL_DEPTH_COMPONENT, GL_FLOAT, layered.data());
        glBindTexture(GL_TEXTURE_CUBE_MAP, shadowFaceCubeMap);
        glGetTexImage(target, 0, GL_DEPTH_COMPONENT, GL_FLOAT, faces.data());
        std::size_t drawn = 0;
        std::size_t differing = 0;
        for (std::size_t i = 0; i < layered.size(); ++i) {
            drawn += layered[i] < 1.0f ? 1 : 0;
            differing += std::abs(layered[i] - faces[i]) > kDepthTolerance ? 1 : 0;
        }
        // Every face of the hallway's light sees some caster.
        EXPECT_GT(drawn, 0u);
        EXPECT_EQ(differing, 0u) << "of " << drawn << " texels drawn";
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}
