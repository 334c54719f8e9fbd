#include "app/frame_loop.h"

#include "app/frame_clock.h"
#include "app/overlay.h"
#include "app/render_context.h"
#include "app/scene.h"
#include "app/shader_watch.h"
#include "app/window_mode.h"
#include "camera/camera.h"
#include "camera/camera_tour.h"
#include "common/render_toggles.h"
#include "model/model.h"
#include "render/frame_resize.h"
#include "render/pass_runner.h"
#include "render/pass_views.h"
#include "render/program_rebuild.h"

#include <GLFW/glfw3.h>

#include <chrono>

void drawModel(const Model& model, const ShaderProgram& program)
{
    model.draw(program);
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
    runPasses(programs, drawModel, timer);
    // V shows a pass's image in the frame's place; the frame view adds no call.
    drawPassView(passView);
}

namespace {

// How long a minimised window sleeps between looks at its events: short
// enough that a restored window draws at once, long enough to cost nothing.
constexpr double kMinimisedWaitSeconds = 0.1;

}  // namespace

bool followFrameSize(const RenderContext& context, const ShaderPrograms& programs)
{
    const FrameSize size = contextFrameSize(context);
    if (!hasPixels(size)) {
        return false;
    }
    resizeFrame(size, programs);
    return true;
}

void runFrame(const RenderContext& context, ShaderPrograms& programs)
{
    advanceFrame(context);
    // A dial moved or a file saved since the last frame shows in this one.
    rebuildRequestedPrograms(programs);
    followWindowMode(context);
    if (!followFrameSize(context, programs)) {
        // Nothing to draw into: no pass, no target, no swap, which an
        // unmapped window may not wait for. The tour goes on meanwhile.
        waitForEvents(context, kMinimisedWaitSeconds);
        return;
    }
    // Hidden, the overlay adds no call: the frame is exactly the passes.
    renderFrame(programs, overlayPassTimer());
    if (overlayShown) {
        drawOverlay();
    }
    presentFrame(context);
}

void runFrameLoop(const RenderContext& context, ShaderPrograms& programs, ShaderWatch* watch)
{
    while (!glfwWindowShouldClose(context.window)) {
        if (watch != nullptr) {
            watch->look(std::chrono::steady_clock::now());
        }
        runFrame(context, programs);
    }
}
