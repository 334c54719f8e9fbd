// One pass of the frame as a row of data: the GL state it starts from, the
// framebuffer it draws into, the switch that runs it, the images it makes
// and reads, the models it draws, and the steps that are its own (making its
// target at start-up; setting up its program each frame), and the files its
// program is built from. The pass runner runs every row the same way, so all
// that differs between passes is written down in the pass's own file.
#pragma once

#include "common/frame_size.h"
#include "render/draw_lists.h"
#include "render/render_targets.h"
#include "render/shader_program.h"

#include <GL/glew.h>

#include <optional>
#include <span>

struct ShaderPrograms;

struct ClearColour {
    float r, g, b, a;
};

// An image a pass leaves for later passes, under a name the readers use.
// Several rows may make an image of one name (a second blur after the
// first); a reader takes the latest one before it in the table.
struct PassImage {
    const char* name;
    GLenum textureTarget;  // GL_TEXTURE_2D or GL_TEXTURE_CUBE_MAP
    // The pass's own texture, made with its target at start-up.
    const GLuint* texture;
};

// An image as a pass's set-up binds it.
struct SampledImage {
    GLenum textureTarget = GL_TEXTURE_2D;
    GLuint texture = 0;
};

struct RenderPass {
    // As reports and benchmarks name it.
    const char* name = "";
    // The switch that runs it; null for a pass that runs every frame.
    const bool* toggle = nullptr;
    // The size it draws at, asked each frame: the frame's, half the
    // frame's, or a size of its own.
    FrameSize (*viewportSize)() = nullptr;
    // Its own framebuffer, bound for the pass and unbound after it; null
    // draws into the window's, which every other pass leaves bound.
    const GLuint* framebuffer = nullptr;
    // A pass whose target has layers one draw cannot reach (a cube map's
    // faces without a geometry stage) runs once per layer: `framebuffer`
    // then points at `layerCount` framebuffers, each bound, cleared and
    // drawn into in turn, and `selectLayer` tells the program which layer
    // the draws that follow are for.
    int layerCount = 1;
    void (*selectLayer)(const ShaderProgram& program, int layer) = nullptr;
    // Clear right after binding, before depth and culling are set (a
    // depth-only target); otherwise depth and culling come first.
    bool clearsFirst = false;
    bool depthTest = true;
    GLenum culledFace = GL_BACK;
    // Set before the clear; none leaves the clear colour as it is (a pass
    // that clears no colour).
    std::optional<ClearColour> clearColour = std::nullopt;
    GLbitfield clearMask = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;
    // Makes the pass's target at start-up, at its viewport's size; null for
    // a pass without one.
    void (*createTarget)() = nullptr;
    // That target, where its size follows the frame's: when the frame's size
    // changes its storage is made again at the new viewport size, on the
    // same names, so every reader of its names goes on reading it.
    RenderTarget* sizedTarget = nullptr;
    // What its target holds once it has run; none for a pass that draws
    // into the window.
    std::optional<PassImage> produces = std::nullopt;
    // The names of the images it reads, in the order its set-up takes them.
    std::span<const char* const> samples = {};
    // Its program: the files it is built from at start-up and where it is
    // kept. One that failed to build draws nothing: GL would refuse to make
    // it current and the draws would run with whatever program came before.
    ShaderFiles shaderFiles = {};
    ShaderProgram ShaderPrograms::*programSlot = nullptr;
    // Picks the program it draws with this frame where that changes from
    // frame to frame (the lighting pass's form for the effects on); null
    // draws with the one in its slot.
    const ShaderProgram& (*chooseProgram)(const ShaderPrograms& programs) = nullptr;
    // Makes that program current and sets its uniforms and images (`images`
    // in the order of `samples`). False when there is nothing to draw this
    // frame (no light yet): the target keeps only its clear.
    bool (*setUp)(const ShaderProgram& program, std::span<const SampledImage> images) = nullptr;
    // The models it then draws, each through the drawing the runner is
    // handed; null draws the screen quad instead (a pass that processes an
    // image).
    DrawListOfPass drawList = nullptr;
};

// The viewport sizes of the passes whose targets follow the frame.
inline FrameSize wholeFrame()
{
    return frameSize;
}
inline FrameSize halfFrame()
{
    return halfFrameSize(frameSize);
}

// Whether `pass` runs this frame: its switch is on, or it has none.
inline bool passRuns(const RenderPass& pass)
{
    return pass.toggle == nullptr || *pass.toggle;
}
