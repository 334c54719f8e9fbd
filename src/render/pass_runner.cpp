#include "render/pass_runner.h"

#include "render/pass_images.h"
#include "render/pass_table.h"
#include "render/pass_timer.h"
#include "render/screen_quad.h"
#include "render/shader_programs.h"

#include <GL/glew.h>

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

void drawList(const DrawList& list, const ShaderProgram& program, DrawModel drawModel)
{
    for (const Model* model : list) {
        drawModel(*model, program);
    }
}

}  // namespace

const ShaderProgram& passProgram(const RenderPass& pass, const ShaderPrograms& programs)
{
    return pass.chooseProgram != nullptr ? pass.chooseProgram(programs) : programs.*pass.programSlot;
}

std::vector<SampledImage> passImages(const RenderPass& pass)
{
    const std::span<const RenderPass* const> table = passTable();
    const auto row = std::find(table.begin(), table.end(), &pass);
    return sampledImages(table.first(static_cast<std::size_t>(row - table.begin())), pass.samples);
}

void runPass(const RenderPass& pass, const ShaderPrograms& programs, DrawModel drawModel)
{
    const FrameSize viewport = pass.viewportSize();
    glViewport(0, 0, viewport.width, viewport.height);
    const ShaderProgram& program = passProgram(pass, programs);
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
            drawList(pass.drawList(), program, drawModel);
        } else {
            drawScreenQuad();
        }
    }
    if (pass.framebuffer != nullptr) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
}

void runPasses(const ShaderPrograms& programs, DrawModel drawModel, PassTimer* timer)
{
    for (const RenderPass* pass : passTable()) {
        if (!passRuns(*pass)) {
            continue;
        }
        if (timer != nullptr) {
            timer->begin(*pass);
        }
        runPass(*pass, programs, drawModel);
        if (timer != nullptr) {
            timer->end();
        }
    }
}
