// The running phase: per frame, measure time, handle input, advance the
// tour and the animation, run the enabled passes in their fixed order and
// present. Owns the frame times and the render toggles.
#pragma once

#include "common/render_toggles.h"

#include <vector>

struct GLFWwindow;
struct RenderContext;
struct ShaderPrograms;

extern float deltaTime;
extern float lastFrame;

// Where a frame reads the time: the window system's clock (offscreen, the
// context's own). A tool that renders scripted moments points it at its own
// clock, so that the same script renders the same frames to the bit.
extern double (*frameClock)();


enum class Pass { GodRayOcclusion, BloomBright, BloomBlur, ShadowCubeMap, Lighting };

// The passes a frame runs for the given toggles, in drawing order. The
// effect passes come first so the lighting pass can sample all of them;
// the lighting pass always runs.
std::vector<Pass> enabledPasses(bool godRays, bool bloom, bool shadows);

// Runs one pass: its target and GL state, its set-up and its draw.
void runPass(Pass pass, const ShaderPrograms& programs);

// The frame's first steps: clock, events (the input handlers run here, so a
// toggle flipped now governs this frame), camera tour and scene animation.
void advanceFrame(const RenderContext& context);

// The frame's passes, in order, for the current toggles.
void renderFrame(const ShaderPrograms& programs);

// One whole frame: advance, render, present.
void runFrame(const RenderContext& context, const ShaderPrograms& programs);

// Runs frames until the window is asked to close.
void runFrameLoop(GLFWwindow* window, const ShaderPrograms& programs);
