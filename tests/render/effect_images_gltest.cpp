// The effects as they show in rendered images of the real scene: a pipe's
// shadow darkens the wall behind it, god rays vanish when the light is
// behind the camera, and the bloom image glows only around the slimes; and
// the effect targets render the same frame when made without the EXT
// framebuffer entry points, and a frame of another size has targets of that
// size and its effects where they belong.
#include "app/frame_loop.h"
#include "app/scene.h"
#include "camera/camera.h"
#include "camera/camera_tour.h"
#include "common/render_toggles.h"
#include "common/window.h"
#include "model/model.h"
#include "render/bloom_pass.h"
#include "render/frame_resize.h"
#include "render/lighting_pass.h"
#include "render/pass_runner.h"
#include "render/pass_table.h"
#include "render/point_light.h"
#include "support/captured_output.h"
#include "support/framebuffer_pixels.h"
#include "support/global_state.h"
#include "support/started_viewer.h"
#include "support/uniform_readback.h"
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
    void TearDown() override
    {
        resizeFrame(kStartFrameSize, viewer.programs);
        resetGlobalState();
    }

    void lookFrom(const glm::vec3& eye, const glm::vec3& target)
    {
        const glm::vec3 d = glm::normalize(target - eye);
        camera.position = eye;
        camera.yaw = glm::degrees(std::atan2(d.z, d.x));
        camera.pitch = glm::degrees(std::asin(d.y));
        camera.updateVectors();
    }

    // Renders one frame and returns its RGB pixels, bottom row first.
    Pixels render()
    {
        advanceFrame(viewer.context);
        renderFrame(viewer.programs);
        return readPixels(0, GL_RGB, 0, 0, frameSize.width, frameSize.height);
    }

    // The frame's pixel of a world point, or (-1, -1) when off screen.
    glm::ivec2 onScreen(const glm::vec3& point) const
    {
        const glm::vec4 clip = camera.projectionMatrix() * camera.viewMatrix() * glm::vec4(point, 1.0f);
        if (clip.w <= 0.0f) {
            return {-1, -1};
        }
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        return {static_cast<int>((ndc.x * 0.5f + 0.5f) * frameSize.width),
                static_cast<int>((ndc.y * 0.5f + 0.5f) * frameSize.height)};
    }

    // How much the god rays brighten the frame `below` pixels under the
    // beacon, seen from down the hallway.
    float godRayGainBesideTheBeacon(int below)
    {
        lookFrom({-3.0f, 1.0f, 0.0f}, {0.0f, 2.0f, 0.0f});
        godRaysOn = true;
        const Pixels withRays = render();
        godRaysOn = false;
        const Pixels without = render();
        const glm::ivec2 at = onScreen({0.0f, 2.0f, 0.0f}) - glm::ivec2(0, below);
        return brightness(withRays, at) - brightness(without, at);
    }

    // Where the light bloom adds to the frame is centred, as a share of
    // the frame's width and height.
    glm::vec2 glowCentre()
    {
        lookFrom({-3.0f, 1.2f, 0.0f}, {0.0f, 0.0f, 0.0f});
        bloomOn = true;
        const Pixels with = render();
        bloomOn = false;
        const Pixels without = render();
        glm::vec2 centre(0.0f);
        float total = 0.0f;
        for (int y = 0; y < frameSize.height; ++y) {
            for (int x = 0; x < frameSize.width; ++x) {
                const size_t i = (static_cast<size_t>(y) * frameSize.width + x) * 3;
                const float added = static_cast<float>(with[i] + with[i + 1] + with[i + 2]) -
                                    static_cast<float>(without[i] + without[i + 1] + without[i + 2]);
                if (added > 0.0f) {
                    centre += added * glm::vec2(x, y);
                    total += added;
                }
            }
        }
        EXPECT_GT(total, 0.0f) << "bloom added nothing";
        return total > 0.0f ? centre / total / glm::vec2(frameSize.width, frameSize.height) : glm::vec2(-1.0f);
    }

    static float brightness(const Pixels& image, glm::ivec2 at)
    {
        const int width = frameSize.width;
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
    ASSERT_LT(at.x, frameSize.width - 10);

    shadowOn = true;
    const float shadowed = brightness(render(), at);
    shadowOn = false;
    const float unshadowed = brightness(render(), at);
    EXPECT_LT(shadowed, unshadowed * 0.85f) << "shadowed " << shadowed << ", lit " << unshadowed;
}

TEST_F(EffectImagesTest, GodRaysShowAroundTheBeaconAndVanishWithTheLightBehind)
{
    EXPECT_GT(godRayGainBesideTheBeacon(40), 6.0f);

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

    const FrameSize bloomSize = halfFrame();
    std::vector<unsigned char> blurred(static_cast<size_t>(bloomSize.width) * bloomSize.height * 4);
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
    for (int y = 0; y < bloomSize.height; ++y) {
        for (int x = 0; x < bloomSize.width; ++x) {
            const size_t i = (static_cast<size_t>(y) * bloomSize.width + x) * 4;
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

TEST_F(EffectImagesTest, AFrameOfAnotherSizeHasTargetsOfThatSizeAndItsEffectsWhereTheyBelong)
{
    // Odd both ways, so the half-size targets round up; drawn into the
    // surface's corner.
    const FrameSize small{641, 361};
    ASSERT_TRUE(resizeFrame(small, viewer.programs));
    EXPECT_FALSE(resizeFrame(small, viewer.programs)) << "the same size again remakes nothing";
    EXPECT_FALSE(resizeFrame({0, 0}, viewer.programs)) << "a minimised window keeps the targets";
    EXPECT_EQ(frameSize, small);
    for (const RenderPass* pass : passTable()) {
        if (pass->sizedTarget != nullptr) {
            GLint size[2] = {};
            glBindTexture(GL_TEXTURE_2D, pass->sizedTarget->colourTexture);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size[0]);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size[1]);
            const FrameSize expected = pass->viewportSize == halfFrame ? FrameSize{321, 181} : small;
            EXPECT_EQ((FrameSize{size[0], size[1]}), expected) << pass->name;
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    // Shadows off: the lighting pass then sends no screen size of its own,
    // yet god rays and bloom place their images by it.
    for (const ShaderProgram& variant : viewer.programs.lightingVariants) {
        if (hasUniform(variant.program, "screen.width")) {
            EXPECT_EQ(uniformFloat(variant.program, "screen.width"), 641.0f);
            EXPECT_EQ(uniformFloat(variant.program, "screen.height"), 361.0f);
        }
    }

    // The glow bloom adds lies where it lay in the frame of the starting
    // size, not where a stale screen size would read the bloom image from.
    ASSERT_TRUE(resizeFrame(kStartFrameSize, viewer.programs));
    const glm::vec2 glowAtStartSize = glowCentre();
    ASSERT_TRUE(resizeFrame(small, viewer.programs));
    shadowOn = false;
    const glm::vec2 glow = glowCentre();
    EXPECT_LT(glm::distance(glow, glowAtStartSize), 0.03f)
        << "glow at " << glow.x << "," << glow.y << " of the frame, was at " << glowAtStartSize.x << ","
        << glowAtStartSize.y;
}

}  // namespace
