// Bloom's blur: one horizontal pass over the bright image, at its size,
// into the finished bloom image that the lighting pass adds.
#pragma once

#include "render/render_pass.h"
#include "render/render_targets.h"
#include "render/shader_program.h"

extern RenderTarget bloomBlurTarget;
extern const RenderPass bloomBlurPass;

// The row's set-up: `images` holds the bright pass's image, as the pass
// table gives it. Always draws.
bool prepareBlurPass(const ShaderProgram& blurShader, std::span<const SampledImage> images);
