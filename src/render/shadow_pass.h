// Omnidirectional shadows: the first light renders the casters' depth into
// all six faces of a cube map in one draw; the geometry stage routes each
// triangle to every face with that face's view-projection. Where there is
// no geometry stage the same pass draws each face on its own
// (ShadowPassForm::DrawPerFace). The form is chosen here alone: the pass
// table takes the form's row, and the row names its own program.
#pragma once

#include "render/gl_dialect.h"
#include "render/render_pass.h"
#include "render/shader_program.h"

#include <glm/glm.hpp>

#include <array>

struct PointLight;

constexpr int kShadowMapSize = 1024;
constexpr int kCubeFaceCount = 6;
constexpr float kShadowNearPlane = 0.02f;
constexpr float kShadowFarPlane = 10.0f;

// How the shadow pass fills the six faces of its cube map: in one draw per
// caster, the geometry stage routing each triangle to every face; or in six
// draws per caster, one face bound at a time, where there is no geometry
// stage.
enum class ShadowPassForm { OneLayeredDraw, DrawPerFace };

// Chosen before start-up and kept for the run. The desktop draws layered;
// tests and the benchmark may choose the per-face form there, so the
// browser's shadow pass is exercised natively too.
extern ShadowPassForm shadowPassForm;

// The row of the form chosen.
const RenderPass& shadowPass();

// The depth cube map and the framebuffer it is attached to, all six faces
// as layers.
extern GLuint shadowCubeMap;
extern GLuint shadowFramebuffer;
extern const RenderPass shadowCubeMapPass;

// The per-face form's own cube map and one framebuffer per face; made only
// when that form is chosen.
extern GLuint shadowFaceCubeMap;
extern GLuint shadowFaceFramebuffers[kCubeFaceCount];
extern const RenderPass shadowCubeFacesPass;

// Far distance of the shadow projection; also the depth scale that the
// depth shader writes and the lighting shader compares against.
extern float farPlane;
// Identity until start-up sets the 90-degree, square light projection.
extern glm::mat4 shadowProjection;

glm::mat4 makeShadowProjection();

// View-projection of each cube face, in GL face order (+X, -X, +Y, -Y, +Z, -Z).
std::array<glm::mat4, kCubeFaceCount> shadowFaceMatrices(const glm::vec3& lightPosition);

void prepareShadowPass(const ShaderProgram& shadowShader, const PointLight& light);
