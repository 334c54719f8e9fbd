// The running phase: per frame, measure time, handle input, advance the
// tour and the animation, run the enabled passes in their fixed order and
// present. Owns the frame times and the render toggles.
#pragma once

#include "common/render_toggles.h"

struct GLFWwindow;
struct RenderContext;
struct RenderPass;
struct ShaderPrograms;

extern float deltaTime;
extern float lastFrame;

// Where a frame reads the time: the window system's clock (offscreen, the
// context's own). A tool that renders scripted moments points it at its own
// clock, so that the same script renders the same frames to the bit.
extern double (*frameClock)();

// Runs one pass: viewport, its framebuffer, depth test, culling, clear
// colour and clear (in the order its row asks for), its set-up and draw
// (skipped when its program failed to build, so its target keeps the clear),
// and the window's framebuffer bound again after an off-screen pass.
void runPass(const RenderPass& pass, const ShaderPrograms& programs);

// The frame's first steps: clock, events (the input handlers run here, so a
// toggle flipped now governs this frame), camera tour and scene animation.
void advanceFrame(const RenderContext& context);

// The passes of the pass table whose switches are on, in the table's order.
void renderFrame(const ShaderPrograms& programs);

// One whole frame: advance, render, present.
void runFrame(const RenderContext& context, const ShaderPrograms& programs);

// Runs frames until the window is asked to close.
void runFrameLoop(GLFWwindow* window, const ShaderPrograms& programs);
