// The lighting program: built once per combination of effects from the same
// two files, each with only its effects' code compiled in, and given its
// fixed texture units and screen size as soon as it is built, and the
// screen size again whenever the frame's size changes.
#pragma once

#include "render/shader_program.h"

#include <array>
#include <string>

// Fixed texture units of the pass's own images. A mesh's textures take units
// 0 upward, so materials are kept to three images to stay clear of these.
constexpr GLint kShadowMapUnit = 3;
constexpr GLint kGodRayMapUnit = 4;
constexpr GLint kBloomMapUnit = 5;

// Gives the lighting program's effect samplers their fixed units and the
// screen size once, right after it is built. Uniforms start at 0, and GL
// refuses any draw while a cube sampler and a 2D sampler share unit 0: a
// first frame with shadows off (S released while the scene loads) would
// otherwise draw nothing until shadows came back on.
void assignLightingDefaults(const ShaderProgram& lightingShader);

// Which effects a lighting program has compiled in.
struct LightingEffects {
    bool shadows = true;
    bool godRays = true;
    bool bloom = true;
};

// A software rasteriser runs every branch whatever its uniform says, so an
// effect switched off only at run time would still cost its whole share.
constexpr int kLightingVariantCount = 8;
using LightingVariants = std::array<ShaderProgram, kLightingVariantCount>;

// Where each combination sits in LightingVariants, and back.
int lightingVariantIndex(const LightingEffects& effects);
LightingEffects lightingEffectsAt(int index);
// The lines that select the combination's code in the shader files.
std::string lightingDefinitions(const LightingEffects& effects);

// Builds every variant from the texts of the lighting files, reusing
// `allEffects` (already built) for its own slot. A failed all-effects build
// stands for every variant: its messages were printed once, and building
// the others would only print them seven times more.
LightingVariants buildLightingVariants(const ShaderSources& sources, const ShaderProgram& allEffects);

// Gives every variant the frame's current size. The lighting pass sends it
// only while shadows are on, yet god rays and bloom read it too: a variant
// without shadows would otherwise go on sampling at the size it was built at.
void assignScreenSize(const LightingVariants& variants);
