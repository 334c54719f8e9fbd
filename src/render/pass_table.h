// The frame's passes, in drawing order. The effect passes come first so the
// lighting pass, last, can sample all of their images in the same frame;
// among them, the order is fixed so every frame issues the same calls.
#pragma once

#include "render/render_pass.h"

#include <span>

// The shadow pass is the row of the form chosen (shadowPassForm).
std::span<const RenderPass* const> passTable();

// Makes every pass's target, in the passes' order, and leaves the window's
// framebuffer bound.
void createRenderTargets();
