// The final pass: the lit scene into the window, combining the shadow cube
// map, the god-ray occlusion image and the blurred bloom image, each only
// while its toggle is on.
#pragma once

#include "render/render_pass.h"
#include "render/shader_program.h"

#include <glm/glm.hpp>

#include <array>
#include <optional>
#include <string>

// Fixed texture units of the pass's own images. A mesh's textures take units
// 0 upward, so materials are kept to three images to stay clear of these.
constexpr GLint kShadowMapUnit = 3;
constexpr GLint kGodRayMapUnit = 4;
constexpr GLint kBloomMapUnit = 5;

constexpr float kMaterialShininess = 32.0f;
constexpr float kGodRayExposure = 0.05f;
constexpr float kGodRayDecay = 0.98f;
constexpr float kGodRayDensity = 1.0f;
constexpr float kGodRayWeight = 0.8f;

// The light's position in normalised device coordinates, or nothing when the
// light is behind the camera or on its eye plane (clip w <= 0): there the
// division mirrors or blows up the position, and rays cast from it would
// stream from a place where the light is not.
std::optional<glm::vec2> lightScreenPosition(const glm::mat4& viewProjection, const glm::vec3& lightPosition);

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

// The lighting program is built once per combination of effects from the
// same two files, each with only its effects' code compiled in: a software
// rasteriser runs every branch whatever its uniform says, so an effect
// switched off only at run time would still cost its whole share.
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

// The effects this frame's lighting draws with: the toggles, less the god
// rays while the light is behind the camera (no source to stream from).
LightingEffects activeLightingEffects();

void prepareLightingPass(const ShaderProgram& lightingShader);

extern const RenderPass lightingPass;
