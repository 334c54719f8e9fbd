// Runs the pass table's rows: every row the same way, from what the row
// says. The models a row draws are drawn through the drawing the caller
// hands in, so running a pass needs nothing of the model code.
#pragma once

#include "render/draw_lists.h"
#include "render/render_pass.h"

#include <vector>

class PassTimer;
struct ShaderPrograms;

// The program `pass` draws with this frame: the one its row picks, or the
// one in its slot.
const ShaderProgram& passProgram(const RenderPass& pass, const ShaderPrograms& programs);

// The images `pass` samples, from the rows before it in the pass table (a
// pass outside the table reads from all of them).
std::vector<SampledImage> passImages(const RenderPass& pass);

// Runs one pass: viewport, its framebuffer, depth test, culling, clear
// colour and clear (in the order its row asks for), its set-up with the
// images it samples, and its draw list, each model through `drawModel`, or
// the screen quad (both skipped when its program failed to build, so its
// target keeps the clear), and the window's framebuffer bound again after
// an off-screen pass. A pass drawn per layer binds, clears and draws each
// layer's framebuffer in turn, set up once.
void runPass(const RenderPass& pass, const ShaderPrograms& programs, DrawModel drawModel);

// The passes of the pass table whose switches are on, in the table's order,
// each timed by `timer` when one is given.
void runPasses(const ShaderPrograms& programs, DrawModel drawModel, PassTimer* timer = nullptr);
