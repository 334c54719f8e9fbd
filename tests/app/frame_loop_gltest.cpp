// The frame loop as GL sees it: which passes run for which toggles, and the
// target and state each one sets before its set-up, recorded from the calls
// GL receives; and what a switched-off pass leaves in its target.
#include "app/frame_loop.h"
#include "app/scene.h"
#include "camera/camera.h"
#include "camera/camera_tour.h"
#include "common/render_toggles.h"
#include "render/bloom_blur_pass.h"
#include "render/bloom_pass.h"
#include "render/god_ray_pass.h"
#include "render/lighting_pass.h"
#include "render/pass_runner.h"
#include "render/pass_table.h"
#include "render/point_light.h"
#include "render/render_targets.h"
#include "render/shader_programs.h"
#include "render/shadow_pass.h"
#include "support/captured_output.h"
#include "support/framebuffer_pixels.h"
#include "support/gl_recorder.h"
#include "support/global_state.h"
#include "support/started_viewer.h"
#include "support/uniform_readback.h"
#include "support/worker_program.h"
#include "support/platform_skips.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

struct FrameLoopTest : testing::Test {
    StartedViewer& viewer = startedViewer();
    PointLight light;

    void SetUp() override
    {
        resetGlobalState();
        light.position = {0.0f, 2.0f, 0.0f};
        lights = {&light};
    }
    void TearDown() override
    {
        clearScene();
        resetGlobalState();
    }

    static std::string bind(GLuint framebuffer) { return "bindFramebuffer " + std::to_string(framebuffer); }
    static void append(Calls& to, const Calls& from) { to.insert(to.end(), from.begin(), from.end()); }

    // What GL must receive for `pass`, from its row: viewport, target,
    // depth and culling around the clear in the row's order, its program,
    // and the window's framebuffer back after an off-screen pass.
    static Calls rowCalls(const RenderPass& pass, GLuint program)
    {
        const Calls depthAndCulling = {pass.depthTest ? "enable DEPTH_TEST" : "disable DEPTH_TEST", "enable CULL_FACE",
                                       pass.culledFace == GL_FRONT ? "cullFace FRONT" : "cullFace BACK"};
        Calls clear;
        if (pass.clearColour) {
            char colour[64];
            std::snprintf(colour, sizeof(colour), "clearColor %.2f %.2f %.2f %.2f", pass.clearColour->r,
                          pass.clearColour->g, pass.clearColour->b, pass.clearColour->a);
            clear.push_back(colour);
        }
        clear.push_back(pass.clearMask == GL_DEPTH_BUFFER_BIT ? "clear DEPTH" : "clear COLOR|DEPTH");

        const FrameSize viewport = pass.viewportSize();
        Calls calls = {"viewport 0 0 " + std::to_string(viewport.width) + " " + std::to_string(viewport.height)};
        if (pass.framebuffer != nullptr) {
            calls.push_back(bind(*pass.framebuffer));
        }
        append(calls, pass.clearsFirst ? clear : depthAndCulling);
        append(calls, pass.clearsFirst ? depthAndCulling : clear);
        calls.push_back("useProgram " + std::to_string(program));
        if (pass.framebuffer != nullptr) {
            calls.push_back(bind(0));
        }
        return calls;
    }

    // The program the lighting pass made current, and which effects it has
    // compiled in, as GL reports its uniforms.
    static GLuint lastProgramUsed(const Calls& recorded)
    {
        const std::string prefix = "useProgram ";
        return static_cast<GLuint>(std::stoul(recorded.back().substr(prefix.size())));
    }
    static std::array<bool, 3> compiledEffects(GLuint program)
    {
        return {hasUniform(program, "shadow.far"), hasUniform(program, "godRays.exposure"),
                hasUniform(program, "bloom.map")};
    }

    static std::array<GLubyte, 4> pixelOf(GLuint framebuffer) { return readPixel(framebuffer, 10, 10); }

    void paint(GLuint framebuffer, float grey) const
    {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glClearColor(grey, grey, grey, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
};

TEST_F(FrameLoopTest, PassesRunInOrderWithTheirStateForEveryToggleCombination)
{
    SKIP_WITHOUT_GL_INTERPOSING();
    // The tour stands still, so the light stays in view and the god rays
    // keep their source on screen.
    cameraTour.freeLook = true;
    for (int combination = 0; combination < 8; ++combination) {
        godRaysOn = (combination & 1) != 0;
        bloomOn = (combination & 2) != 0;
        shadowOn = (combination & 4) != 0;
        SCOPED_TRACE("god rays " + std::to_string(godRaysOn) + ", bloom " + std::to_string(bloomOn)
                     + ", shadows " + std::to_string(shadowOn));

        startGLRecording();
        runFrame(viewer.context, viewer.programs);
        const Calls recorded = stopGLRecording();
        // Only the switched-on effects' code runs: a software rasteriser
        // would pay for the others even behind a false uniform.
        const GLuint lighting = lastProgramUsed(recorded);
        EXPECT_EQ(compiledEffects(lighting), (std::array<bool, 3>{shadowOn, godRaysOn, bloomOn}));

        Calls expected;
        for (const RenderPass* pass : passTable()) {
            if (passRuns(*pass)) {
                append(expected, rowCalls(*pass, pass == &lightingPass ? lighting : passProgram(*pass, viewer.programs).program));
            }
        }
        EXPECT_EQ(recorded, expected);
    }
}

TEST_F(FrameLoopTest, LightBehindTheCameraDrawsWithTheProgramWithoutGodRays)
{
    SKIP_WITHOUT_GL_INTERPOSING();
    // Passes only: the frame's animation would move the light back.
    light.position = camera.position - 2.0f * camera.front;
    startGLRecording();
    renderFrame(viewer.programs);
    const GLuint lighting = lastProgramUsed(stopGLRecording());
    EXPECT_EQ(compiledEffects(lighting), (std::array<bool, 3>{true, false, true}));
}

TEST_F(FrameLoopTest, FrameLeavesBlendingDepthFunctionAndWindowFramebufferAlone)
{
    runFrame(viewer.context, viewer.programs);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint depthFunction = 0;
    GLboolean depthWrites = GL_FALSE;
    GLint bound = -1;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(depthFunction, GL_LESS);
    EXPECT_EQ(depthWrites, GL_TRUE);
    EXPECT_EQ(bound, 0);
}

TEST_F(FrameLoopTest, SwitchedOffPassKeepsItsTargetWhileOthersRedraw)
{
    runFrame(viewer.context, viewer.programs);
    paint(godRayTarget.framebuffer, 0.2f);
    paint(bloomBrightTarget.framebuffer, 0.2f);
    paint(bloomBlurTarget.framebuffer, 0.2f);

    bloomOn = false;
    runFrame(viewer.context, viewer.programs);

    const std::array<GLubyte, 4> marker{51, 51, 51, 255};
    EXPECT_EQ(pixelOf(bloomBrightTarget.framebuffer), marker);
    EXPECT_EQ(pixelOf(bloomBlurTarget.framebuffer), marker);
    const std::array<GLubyte, 4> occlusionClear{230, 128, 128, 255};
    EXPECT_EQ(pixelOf(godRayTarget.framebuffer), occlusionClear);
}

// A program that failed to link cannot be made current, so its draws would
// run with whatever program came before: the pass clears and draws nothing.
TEST_F(FrameLoopTest, PassWhoseProgramFailedToBuildOnlyClears)
{
    SKIP_WITHOUT_GL_INTERPOSING();
    ShaderPrograms broken = viewer.programs;
    const std::string printed = captureStdout([&] { broken.lightingVariants.fill(ShaderProgram(ShaderSources{})); });
    ASSERT_NE(printed.find("PROGRAM-LINKING-ERROR"), std::string::npos);
    shadowOn = godRaysOn = bloomOn = false;

    startGLRecording();
    runFrame(viewer.context, broken);
    const Calls recorded = stopGLRecording();

    Calls expected = rowCalls(lightingPass, 0);
    expected.pop_back();
    EXPECT_EQ(recorded, expected);
}

// Models are the application's to draw: the runner hands each model of the
// row's list, in order, once per layer, to the drawing it is given.
TEST_F(FrameLoopTest, RunnerDrawsTheRowsModelsThroughTheDrawingHandedIn)
{
    ASSERT_TRUE(composeScene(kWorkerProgram));
    static std::vector<const Model*> drawn;
    drawn.clear();
    const DrawModel record = [](const Model& model, const ShaderProgram& /*program*/) { drawn.push_back(&model); };
    runPass(godRayOcclusionPass, viewer.programs, record);
    EXPECT_EQ(drawn, std::vector<const Model*>(godRayObjects.begin(), godRayObjects.end()));

    drawn.clear();
    ShaderPrograms perFace = viewer.programs;
    perFace.shadowShader = ShaderProgram(shadowCubeFacesPass.shaderFiles);
    if (shadowFaceFramebuffers[0] == 0) {
        shadowCubeFacesPass.createTarget();
    }
    runPass(shadowCubeFacesPass, perFace, record);
    ASSERT_EQ(drawn.size(), shadowCasters.size() * kCubeFaceCount);
    EXPECT_EQ(std::vector<const Model*>(drawn.end() - static_cast<std::ptrdiff_t>(shadowCasters.size()), drawn.end()),
              std::vector<const Model*>(shadowCasters.begin(), shadowCasters.end()));
}

TEST_F(FrameLoopTest, RunsEveryPassWithoutALight)
{
    lights.clear();
    EXPECT_NO_THROW(runFrame(viewer.context, viewer.programs));
    // Passes that follow the light still clear their targets.
    paint(bloomBrightTarget.framebuffer, 0.2f);
    runFrame(viewer.context, viewer.programs);
    const std::array<GLubyte, 4> black{0, 0, 0, 255};
    EXPECT_EQ(pixelOf(bloomBrightTarget.framebuffer), black);
}

}  // namespace
