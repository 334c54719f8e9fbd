// One pass of the frame as a row of data: the GL state it starts from, the
// framebuffer it draws into, the switch that runs it, and the two steps that
// are its own (making its target at start-up; setting up and drawing each
// frame). The frame loop runs every row the same way, so all that differs
// between passes is written down in the pass's own file.
#pragma once

#include <GL/glew.h>

#include <optional>

struct ShaderProgram;
struct ShaderPrograms;

struct ClearColour {
    float r, g, b, a;
};

struct RenderPass {
    // As reports and benchmarks name it.
    const char* name = "";
    // The switch that runs it; null for a pass that runs every frame.
    const bool* toggle = nullptr;
    GLsizei viewportWidth = 0;
    GLsizei viewportHeight = 0;
    // Its own framebuffer, bound for the pass and unbound after it; null
    // draws into the window's, which every other pass leaves bound.
    const GLuint* framebuffer = nullptr;
    // Clear right after binding, before depth and culling are set (a
    // depth-only target); otherwise depth and culling come first.
    bool clearsFirst = false;
    bool depthTest = true;
    GLenum culledFace = GL_BACK;
    // Set before the clear; none leaves the clear colour as it is (a pass
    // that clears no colour).
    std::optional<ClearColour> clearColour = std::nullopt;
    GLbitfield clearMask = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;
    // Makes the pass's target at start-up; null for a pass without one.
    void (*createTarget)() = nullptr;
    // The program it draws with this frame. One that failed to build draws
    // nothing: GL would refuse to make it current and the draws would run
    // with whatever program came before.
    const ShaderProgram& (*program)(const ShaderPrograms& programs) = nullptr;
    // Makes that program current, sets its uniforms and draws.
    void (*setUpAndDraw)(const ShaderProgram& program) = nullptr;
};

// Whether `pass` runs this frame: its switch is on, or it has none.
inline bool passRuns(const RenderPass& pass)
{
    return pass.toggle == nullptr || *pass.toggle;
}
