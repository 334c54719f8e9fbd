#include "app/frame_loop.h"

#include "app/frame_clock.h"
#include "app/overlay.h"
#include "app/render_context.h"
#include "app/scene.h"
#include "camera/camera.h"
#include "camera/camera_tour.h"
#include "common/render_toggles.h"
#include "model/model.h"
#include "render/pass_images.h"
#include "render/pass_table.h"
#include "render/pass_timer.h"
#include "render/screen_quad.h"
#include "render/shader_program.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>

namespace {

void setDepthAndCulling(const RenderPass& pass)
{
    if (pass.depthTest) {
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glEnable(GL_CULL_FACE);
    glCullFace(pass.culledFace);
}

void clearTarget(const RenderPass& pass)
{
    if (pass.clearColour) {
        const ClearColour& colour = *pass.clearColour;
        glClearColor(colour.r, colour.g, colour.b, colour.a);
    }
    glClear(pass.clearMask);
}

}  // namespace

std::vector<SampledImage> passImages(const RenderPass& pass)
{
    const std::span<const RenderPass* const> table = passTable();
    const auto row = std::find(table.begin(), table.end(), &pass);
    return sampledImages(table.first(static_cast<std::size_t>(row - table.begin())), pass.samples);
}

void drawList(const DrawList& list, const ShaderProgram& program)
{
    for (const Model* model : list) {
        model->draw(program);
    }
}

void runPass(const RenderPass& pass, const ShaderPrograms& programs)
{
    glViewport(0, 0, pass.viewportWidth, pass.viewportHeight);
    const ShaderProgram& program = pass.program(programs);
    bool drawing = false;
    for (int layer = 0; layer < pass.layerCount; ++layer) {
        if (pass.framebuffer != nullptr) {
            glBindFramebuffer(GL_FRAMEBUFFER, pass.framebuffer[layer]);
        }
        // Depth and culling hold for every layer once set.
        if (pass.clearsFirst) {
            clearTarget(pass);
            if (layer == 0) {
                setDepthAndCulling(pass);
            }
        } else {
            if (layer == 0) {
                setDepthAndCulling(pass);
            }
            clearTarget(pass);
        }
        if (layer == 0) {
            drawing = program.linked() && pass.setUp(program, passImages(pass));
        }
        if (!drawing) {
            continue;
        }
        if (pass.selectLayer != nullptr) {
            pass.selectLayer(program, layer);
        }
        if (pass.drawList != nullptr) {
            drawList(pass.drawList(), program);
        } else {
            drawScreenQuad();
        }
    }
    if (pass.framebuffer != nullptr) {
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

void renderFrame(const ShaderPrograms& programs, PassTimer* timer)
{
    for (const RenderPass* pass : passTable()) {
        if (!passRuns(*pass)) {
            continue;
        }
        if (timer != nullptr) {
            timer->begin(*pass);
        }
        runPass(*pass, programs);
        if (timer != nullptr) {
            timer->end();
        }
    }
}

void runFrame(const RenderContext& context, const ShaderPrograms& programs)
{
    advanceFrame(context);
    // Hidden, the overlay adds no call: the frame is exactly the passes.
    renderFrame(programs, overlayPassTimer());
    if (overlayShown) {
        drawOverlay();
    }
    presentFrame(context);
}

void runFrameLoop(const RenderContext& context, const ShaderPrograms& programs)
{
    while (!glfwWindowShouldClose(context.window)) {
        runFrame(context, programs);
    }
}
