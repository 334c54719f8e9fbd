// The frame's passes, in drawing order. The effect passes come first so the
// lighting pass, last, can sample all of their images in the same frame;
// among them, the order is fixed so every frame issues the same calls.
// Start-up makes what the rows name: their targets and their programs.
#pragma once

#include "render/render_pass.h"
#include "render/shader_programs.h"

#include <span>

// The shadow pass is the row of the form chosen (shadowPass()).
std::span<const RenderPass* const> passTable();

// Makes every pass's target, in the passes' order, and leaves the window's
// framebuffer bound.
void createRenderTargets();

// Builds every pass's program from the files its row names, into the slot
// its row names.
ShaderPrograms buildShaderPrograms();
