// The running phase: per frame, measure time, handle input, advance the
// tour and the animation, run the enabled passes in their fixed order and
// present.
#pragma once

class Model;
class PassTimer;
class ShaderWatch;
struct RenderContext;
struct ShaderProgram;
struct ShaderPrograms;

// How the passes draw a model of their lists: the model's own draw.
void drawModel(const Model& model, const ShaderProgram& program);

// The frame's first steps: clock, events (the input handlers run here, so a
// toggle flipped now governs this frame), camera tour and scene animation.
void advanceFrame(const RenderContext& context);

// The passes of the pass table whose switches are on, in the table's order,
// each timed by `timer` when one is given, then the pass view V chose over
// the window (none for the frame view).
void renderFrame(const ShaderPrograms& programs, PassTimer* timer = nullptr);

// Makes the context's current size the frame's (new target storage, the
// variants' screen size) when it changed. False while the window has no
// pixels (minimised): there is nothing to draw.
bool followFrameSize(const RenderContext& context, const ShaderPrograms& programs);

// One whole frame: advance, the programs asked for built again (a moved
// dial, a saved file), the window as the switches ask, its size followed,
// render, the overlay while it is shown, present. A minimised window draws
// nothing and waits for its events a short while instead.
void runFrame(const RenderContext& context, ShaderPrograms& programs);

// Runs frames until the window is asked to close, looking for saved shader
// files before each while `watch` is given.
void runFrameLoop(const RenderContext& context, ShaderPrograms& programs, ShaderWatch* watch = nullptr);
