// God-ray occlusion pass: the beacon and its blockers are drawn from the
// camera into a full-size image; the lighting pass marches from each pixel
// towards the light's screen position through that image.
#pragma once

#include "render/render_pass.h"
#include "render/render_targets.h"
#include "render/shader_program.h"

extern RenderTarget godRayTarget;
extern const RenderPass godRayOcclusionPass;

// The row's set-up; it samples no images and always draws.
bool prepareGodRayPass(const ShaderProgram& godRayShader, std::span<const SampledImage> images = {});
