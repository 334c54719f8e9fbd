// The effects as they show in rendered images of the real scene: a pipe's
// shadow darkens the wall behind it, god rays vanish when the light is
// behind the camera, and the bloom image glows only around the slimes; and
// the effect targets render the same frame when made without the EXT
// framebuffer entry points.
#include "app/frame_loop.h"
#include "app/scene.h"
#include "camera/camera.h"
#include "camera/camera_tour.h"
#include "common/render_toggles.h"
#include "common/window.h"
#include "model/model.h"
#include "render/bloom_pass.h"
#include "render/lighting_pass.h"
#include "render/pass_runner.h"
#include "render/pass_table.h"
#include "render/point_light.h"
#include "support/captured_output.h"
#include "support/framebuffer_pixels.h"
#include "support/global_state.h"
#include "support/started_viewer.h"
#include "support/worker_program.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <tuple>
#include <vector>

namespace {

using Pixels = std::vector<unsigned char>;

struct EffectImagesTest : testing::Test {
    StartedViewer& viewer = startedViewer();

    void SetUp() override
    {
        resetGlobalState();
        if (lights.empty()) {
            ASSERT_EQ(captureStdout([] { composeScene(kWorkerProgram); }), "");
        }
        // A still light at x = 0 and a camera held where the test puts it.
        lightAnimationPaused = true;
        animationTime = 0.0f;
        cameraTour.freeLook = true;
    }
    void TearDown() override { resetGlobalState(); }

    void lookFrom(const glm::vec3& eye, const glm::vec3& target)
    {
        const glm::vec3 d = glm::normalize(target - eye);
        camera.position = eye;
        camera.yaw = glm::degrees(std::atan2(d.z, d.x));
        camera.pitch = glm::degrees(std::asin(d.y));
        camera.updateVectors();
    }

    // Renders one frame and returns the window's RGB pixels, bottom row first.
    Pixels render()
    {
        advanceFrame(viewer.context);
        renderFrame(viewer.programs);
        return readPixels(0, GL_RGB, 0, 0, kWindowWidth, kWindowHeight);
    }

    // Window pixel of a world point, or (-1, -1) when off screen.
    glm::ivec2 onScreen(const glm::vec3& point) const
    {
        const glm::vec4 clip = camera.projectionMatrix() * camera.viewMatrix() * glm::vec4(point, 1.0f);
        if (clip.w <= 0.0f) {
            return {-1, -1};
        }
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        return {static_cast<int>((ndc.x * 0.5f + 0.5f) * kWindowWidth),
                static_cast<int>((ndc.y * 0.5f + 0.5f) * kWindowHeight)};
    }

    static float brightness(const Pixels& image, glm::ivec2 at, int width = kWindowWidth)
    {
        // Averaged over a small square, so the shadow filter's dither evens out.
        float sum = 0.0f;
        int count = 0;
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                const size_t i = (static_cast<size_t>(at.y + dy) * width + (at.x + dx)) * 3;
                sum += image[i] + image[i + 1] + image[i + 2];
                ++count;
            }
        }
        return sum / count;
    }
};

// Sets the pointers to null; calling the result puts them back.
template <typename... Pointer>
auto nulled(Pointer&... pointers)
{
    auto restore = [&pointers..., saved = std::make_tuple(pointers...)] { std::tie(pointers...) = saved; };
    ((pointers = nullptr), ...);
    return restore;
}

TEST_F(EffectImagesTest, ColourTargetsMadeWithoutTheExtEntryPointsAreCompleteAndRenderTheSameFrame)
{
    lookFrom({-3.0f, 1.0f, 0.0f}, {0.0f, 2.0f, 0.0f});
    const Pixels withExtTargets = render();

    // A core profile without GL_EXT_framebuffer_object, as the loader leaves it.
    const auto restoreExt = nulled(glGenFramebuffersEXT, glBindFramebufferEXT, glFramebufferTexture2DEXT,
                                   glGenRenderbuffersEXT, glBindRenderbufferEXT, glRenderbufferStorageEXT,
                                   glFramebufferRenderbufferEXT);
    createRenderTargets();
    for (const RenderPass* pass : passTable()) {
        if (pass->framebuffer != nullptr) {
            glBindFramebuffer(GL_FRAMEBUFFER, *pass->framebuffer);
            EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE)) << pass->name;
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_TRUE(render() == withExtTargets) << "the frame changed with the targets";
    restoreExt();
}

TEST_F(EffectImagesTest, PipeShadowDarkensTheWallBehindIt)
{
    // The light hangs at (0, 2, 0); the ray from it through the pipe at
    // (0.3, y, 0.7) reaches the wall (z = 1) at about (0.43, 0.57, 1).
    const glm::vec3 light(0.0f, 2.0f, 0.0f);
    const glm::vec3 pipeAxis(0.3f, 1.0f, 0.7f);
    const glm::vec3 ray = glm::normalize(pipeAxis - light);
    const float toWall = (1.0f - light.z) / ray.z;
    const glm::vec3 behindPipe = light + ray * (toWall - 0.01f);

    lookFrom({0.43f, 0.8f, -0.6f}, behindPipe);
    const glm::ivec2 at = onScreen(behindPipe);
    ASSERT_GT(at.x, 10);
    ASSERT_LT(at.x, kWindowWidth - 10);

    shadowOn = true;
    const float shadowed = brightness(render(), at);
    shadowOn = false;
    const float unshadowed = brightness(render(), at);
    EXPECT_LT(shadowed, unshadowed * 0.85f) << "shadowed " << shadowed << ", lit " << unshadowed;
}

TEST_F(EffectImagesTest, GodRaysShowAroundTheBeaconAndVanishWithTheLightBehind)
{
    lookFrom({-3.0f, 1.0f, 0.0f}, {0.0f, 2.0f, 0.0f});
    godRaysOn = true;
    const Pixels withRays = render();
    godRaysOn = false;
    const Pixels without = render();
    const glm::ivec2 beacon = onScreen({0.0f, 2.0f, 0.0f});
    EXPECT_GT(brightness(withRays, beacon + glm::ivec2(0, -40)), brightness(without, beacon + glm::ivec2(0, -40)) + 6.0f);

    // Camera under the light, looking away from it: the light is behind the
    // eye plane and nothing may stream from a mirrored position.
    lookFrom({0.5f, 1.0f, 0.0f}, {4.0f, 0.8f, 0.0f});
    godRaysOn = true;
    const Pixels behindWithRays = render();
    godRaysOn = false;
    const Pixels behindWithout = render();
    EXPECT_EQ(behindWithRays, behindWithout);
}

TEST_F(EffectImagesTest, BloomImageGlowsOnlyAroundTheSlimes)
{
    lookFrom({-3.0f, 1.2f, 0.0f}, {0.0f, 0.0f, 0.0f});
    bloomOn = true;
    render();

    std::vector<unsigned char> blurred(static_cast<size_t>(halfFrame().width) * halfFrame().height * 4);
    // The finished bloom, as the lighting pass reads it.
    glBindTexture(GL_TEXTURE_2D, passImages(lightingPass)[kLightingBloom].texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, blurred.data());
    glBindTexture(GL_TEXTURE_2D, 0);

    std::vector<glm::vec2> slimes;
    for (const Model* slime : bloomObjects) {
        const glm::ivec2 at = onScreen(glm::vec3(slime->modelMatrix[3]));
        slimes.emplace_back(at.x / 2.0f, at.y / 2.0f);  // the bloom image is half size
    }
    // A slime is about 0.3 m across; from 2-4 m that is under 80 window
    // pixels, plus the blur's reach.
    const float reach = 70.0f;
    size_t glowing = 0;
    size_t strays = 0;
    for (int y = 0; y < halfFrame().height; ++y) {
        for (int x = 0; x < halfFrame().width; ++x) {
            const size_t i = (static_cast<size_t>(y) * halfFrame().width + x) * 4;
            if (blurred[i] + blurred[i + 1] + blurred[i + 2] < 12) {
                continue;
            }
            ++glowing;
            bool nearSlime = false;
            for (const glm::vec2& s : slimes) {
                nearSlime = nearSlime || glm::distance(glm::vec2(x, y), s) < reach;
            }
            strays += nearSlime ? 0 : 1;
        }
    }
    EXPECT_GT(glowing, 200u) << "no slime glows";
    EXPECT_EQ(strays, 0u);
}

}  // namespace
