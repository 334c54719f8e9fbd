#include "app/frame_loop.h"

#include "app/render_context.h"
#include "app/scene.h"
#include "camera/camera.h"
#include "camera/camera_tour.h"
#include "render/pass_table.h"
#include "render/shader_program.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

float deltaTime = 0.0f;
float lastFrame = 0.0f;
double (*frameClock)() = glfwGetTime;

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

void runPass(const RenderPass& pass, const ShaderPrograms& programs)
{
    glViewport(0, 0, pass.viewportWidth, pass.viewportHeight);
    if (pass.framebuffer != nullptr) {
        glBindFramebuffer(GL_FRAMEBUFFER, *pass.framebuffer);
    }
    if (pass.clearsFirst) {
        clearTarget(pass);
        setDepthAndCulling(pass);
    } else {
        setDepthAndCulling(pass);
        clearTarget(pass);
    }
    if (const ShaderProgram& program = pass.program(programs); program.linked()) {
        pass.setUpAndDraw(program);
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

void renderFrame(const ShaderPrograms& programs)
{
    for (const RenderPass* pass : passTable()) {
        if (passRuns(*pass)) {
            runPass(*pass, programs);
        }
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
