// The running phase: per frame, measure time, handle input, advance the
// tour and the animation, run the enabled passes in their fixed order and
// present.
#pragma once

class Model;
class PassTimer;
struct RenderContext;
struct ShaderProgram;
struct ShaderPrograms;

// How the passes draw a model of their lists: the model's own draw.
void drawModel(const Model& model, const ShaderProgram& program);

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
