// Bloom's bright pass: the glowing objects are drawn alone into a half-size
// bright image, which the blur pass then spreads before the lighting pass
// adds it.
#pragma once

#include "render/render_pass.h"
#include "render/render_targets.h"
#include "render/shader_program.h"

struct PointLight;

// Its target is half the frame in each direction (halfFrame): a quarter of
// the pixels to shade, and the blur's reach doubles for free when the
// result is stretched back.
extern RenderTarget bloomBrightTarget;
extern const RenderPass bloomBrightPass;

void prepareBloomPass(const ShaderProgram& bloomShader, const PointLight& light);
