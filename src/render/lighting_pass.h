// The final pass: the lit scene into the window, combining the shadow cube
// map, the god-ray occlusion image and the finished bloom image, each only
// while its toggle is on. It takes those images from the pass table, by
// name, in the order of kLightingSamples.
#pragma once

#include "render/lighting_program.h"
#include "render/render_pass.h"
#include "render/shader_program.h"

#include <glm/glm.hpp>

#include <optional>
#include <span>

constexpr float kMaterialShininess = 32.0f;
// The god rays' exposure, decay, density and weight are dials
// (common/dials.h), sent every frame.

// Where each image the pass combines stands in its row's samples.
enum LightingImage : std::size_t { kLightingShadowMap, kLightingGodRays, kLightingBloom, kLightingImageCount };

// The light's position in normalised device coordinates, or nothing when the
// light is behind the camera or on its eye plane (clip w <= 0): there the
// division mirrors or blows up the position, and rays cast from it would
// stream from a place where the light is not.
std::optional<glm::vec2> lightScreenPosition(const glm::mat4& viewProjection, const glm::vec3& lightPosition);

// The effects this frame's lighting draws with: the toggles, less the god
// rays while the light is behind the camera (no source to stream from).
LightingEffects activeLightingEffects();

// The row's set-up: `images` as the row's samples name them (see
// LightingImage). Always draws.
bool prepareLightingPass(const ShaderProgram& lightingShader, std::span<const SampledImage> images);

extern const RenderPass lightingPass;
