// The running phase: per frame, measure time, handle input, advance the
// tour and the animation, run the enabled passes in their fixed order and
// present.
#pragma once

#include "render/draw_lists.h"
#include "render/render_pass.h"

#include <vector>

class PassTimer;
struct RenderContext;
struct ShaderProgram;
struct ShaderPrograms;

// Draws every model of `list` with `program`, which the pass made current.
void drawList(const DrawList& list, const ShaderProgram& program);

// The images `pass` samples, from the rows before it in the pass table (a
// pass outside the table reads from all of them).
std::vector<SampledImage> passImages(const RenderPass& pass);

// Runs one pass: viewport, its framebuffer, depth test, culling, clear
// colour and clear (in the order its row asks for), its set-up with the
// images it samples, and its draw list or the screen quad (both skipped
// when its program failed to build, so its target keeps the clear), and the
// window's framebuffer bound again after an off-screen pass. A pass drawn
// per layer binds, clears and draws each layer's framebuffer in turn, set
// up once.
void runPass(const RenderPass& pass, const ShaderPrograms& programs);

// The frame's first steps: clock, events (the input handlers run here, so a
// toggle flipped now governs this frame), camera tour and scene animation.
void advanceFrame(const RenderContext& context);

// The passes of the pass table whose switches are on, in the table's order,
// each timed by `timer` when one is given.
void renderFrame(const ShaderPrograms& programs, PassTimer* timer = nullptr);

// One whole frame: advance, render, the overlay while it is shown, present.
void runFrame(const RenderContext& context, const ShaderPrograms& programs);

// Runs frames until the window is asked to close.
void runFrameLoop(const RenderContext& context, const ShaderPrograms& programs);
