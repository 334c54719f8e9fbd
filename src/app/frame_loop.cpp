#include "app/frame_loop.h"

#include "app/render_context.h"
#include "app/scene.h"
#include "app/startup.h"
#include "camera/camera.h"
#include "camera/camera_tour.h"
#include "common/window.h"
#include "render/bloom_pass.h"
#include "render/god_ray_pass.h"
#include "render/lighting_pass.h"
#include "render/point_light.h"
#include "render/render_targets.h"
#include "render/screen_quad.h"
#include "render/shadow_pass.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

float deltaTime = 0.0f;
float lastFrame = 0.0f;
double (*frameClock)() = glfwGetTime;

namespace {

struct ClearColour {
    float r, g, b, a;
};

// The GL state each pass sets before its set-up, in the frame's order.
struct PassState {
    GLsizei viewportWidth;
    GLsizei viewportHeight;
    bool offscreen;        // binds its own framebuffer, and the window's again after
    bool clearFirst;       // clears right after binding, before depth and culling
    bool depthTest;
    GLenum culledFace;
    bool setsClearColour;
    ClearColour clearColour;
    GLbitfield clearMask;
};

constexpr GLbitfield kColourAndDepth = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;

// Only the beacon and its blockers are drawn over the pink background, and
// the lighting pass lets only the glass around the light emit, so the pink
// shows just as a halo at the glass's rim. Depth is off so the blockers,
// drawn after the beacon, always cover it.
constexpr PassState kGodRayPassState{kWindowWidth, kWindowHeight, true, false, false, GL_BACK,
                                     true, {0.9f, 0.5f, 0.5f, 1.0f}, kColourAndDepth};
constexpr PassState kBloomBrightPassState{kBloomWidth, kBloomHeight, true, false, true, GL_BACK,
                                          true, {0.0f, 0.0f, 0.0f, 1.0f}, kColourAndDepth};
constexpr PassState kBloomBlurPassState{kBloomWidth, kBloomHeight, true, false, true, GL_BACK,
                                        true, {0.0f, 0.0f, 0.0f, 1.0f}, kColourAndDepth};
// Front faces are culled so the casters' back faces are stored: the depth
// then lies behind each caster's lit surface, which keeps acne off it.
constexpr PassState kShadowPassState{kShadowMapSize, kShadowMapSize, true, true, true, GL_FRONT,
                                     false, {}, GL_DEPTH_BUFFER_BIT};
// A pale green that should never be seen: it only shows through gaps in
// the hallway.
constexpr PassState kLightingPassState{kWindowWidth, kWindowHeight, false, false, true, GL_BACK,
                                       true, {0.45f, 0.85f, 0.45f, 1.0f}, kColourAndDepth};

const PassState& passState(Pass pass)
{
    switch (pass) {
    case Pass::GodRayOcclusion: return kGodRayPassState;
    case Pass::BloomBright: return kBloomBrightPassState;
    case Pass::BloomBlur: return kBloomBlurPassState;
    case Pass::ShadowCubeMap: return kShadowPassState;
    case Pass::Lighting: break;
    }
    return kLightingPassState;
}

GLuint passFramebuffer(Pass pass)
{
    switch (pass) {
    case Pass::GodRayOcclusion: return godRayTarget.framebuffer;
    case Pass::BloomBright: return bloomBrightTarget.framebuffer;
    case Pass::BloomBlur: return bloomBlurTarget.framebuffer;
    case Pass::ShadowCubeMap: return shadowFramebuffer;
    case Pass::Lighting: break;
    }
    return 0;
}

void setDepthAndCulling(const PassState& state)
{
    if (state.depthTest) {
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glEnable(GL_CULL_FACE);
    glCullFace(state.culledFace);
}

void clearTarget(const PassState& state)
{
    if (state.setsClearColour) {
        glClearColor(state.clearColour.r, state.clearColour.g, state.clearColour.b, state.clearColour.a);
    }
    glClear(state.clearMask);
}

void beginPass(Pass pass, const PassState& state)
{
    glViewport(0, 0, state.viewportWidth, state.viewportHeight);
    if (state.offscreen) {
        glBindFramebuffer(GL_FRAMEBUFFER, passFramebuffer(pass));
    }
    if (state.clearFirst) {
        clearTarget(state);
        setDepthAndCulling(state);
    } else {
        setDepthAndCulling(state);
        clearTarget(state);
    }
}

// Set-up and draw. Passes that follow the light skip both while the scene has
// no light (before composition, or if it failed): their target is still
// cleared, so nothing stale is sampled.
void setUpAndDraw(Pass pass, const ShaderPrograms& programs)
{
    const PointLight* light = lights.empty() ? nullptr : firstLight();
    switch (pass) {
    case Pass::GodRayOcclusion:
        prepareGodRayPass(programs.godRayShader);
        drawList(godRayObjects, programs.godRayShader);
        break;
    case Pass::BloomBright:
        if (light != nullptr) {
            prepareBloomPass(programs.bloomShader, *light);
            drawList(bloomObjects, programs.bloomShader);
        }
        break;
    case Pass::BloomBlur:
        prepareBlurPass(programs.blurShader);
        drawScreenQuad();
        break;
    case Pass::ShadowCubeMap:
        if (light != nullptr) {
            prepareShadowPass(programs.shadowShader, *light);
            drawList(shadowCasters, programs.shadowShader);
        }
        break;
    case Pass::Lighting: {
        const LightingEffects effects = activeLightingEffects();
        const ShaderProgram& lightingShader = programs.lightingVariants[lightingVariantIndex(effects)];
        prepareLightingPass(lightingShader);
        drawList(litObjects, lightingShader);
        break;
    }
    }
}

}  // namespace

std::vector<Pass> enabledPasses(bool godRays, bool bloom, bool shadows)
{
    std::vector<Pass> passes;
    if (godRays) {
        passes.push_back(Pass::GodRayOcclusion);
    }
    if (bloom) {
        passes.push_back(Pass::BloomBright);
        passes.push_back(Pass::BloomBlur);
    }
    if (shadows) {
        passes.push_back(Pass::ShadowCubeMap);
    }
    passes.push_back(Pass::Lighting);
    return passes;
}

void runPass(Pass pass, const ShaderPrograms& programs)
{
    const PassState& state = passState(pass);
    beginPass(pass, state);
    setUpAndDraw(pass, programs);
    if (state.offscreen) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
}

void advanceFrame(const RenderContext& context)
{
    const float now = static_cast<float>(frameClock());
    deltaTime = now - lastFrame;
    lastFrame = now;

    pollFrameEvents(context);
    cameraTour.step(camera, deltaTime);
    animateScene();
}

void renderFrame(const ShaderPrograms& programs)
{
    for (Pass pass : enabledPasses(godRaysOn, bloomOn, shadowOn)) {
        runPass(pass, programs);
    }
}

void runFrame(const RenderContext& context, const ShaderPrograms& programs)
{
    advanceFrame(context);
    renderFrame(programs);
    presentFrame(context);
}

void runFrameLoop(GLFWwindow* window, const ShaderPrograms& programs)
{
    RenderContext context;
    context.window = window;
    while (!glfwWindowShouldClose(window)) {
        runFrame(context, programs);
    }
}
