// Bloom's blur: one horizontal pass over the bright image, at its size,
// into the image the lighting pass adds.
#pragma once

#include "render/render_pass.h"
#include "render/render_targets.h"
#include "render/shader_program.h"

extern RenderTarget bloomBlurTarget;
extern const RenderPass bloomBlurPass;

void prepareBlurPass(const ShaderProgram& blurShader);
