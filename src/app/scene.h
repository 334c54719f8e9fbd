// The hallway scene: sixteen models from seven files, the one red point
// light, the four draw lists that say which pass draws what, and the
// per-frame swing of the alarm-light assembly.
#pragma once

#include "render/shader_program.h"

#include <vector>

class Model;

// Non-owning, in drawing order; a model may stand in several lists.
using DrawList = std::vector<Model*>;

// Never destroyed, like the models they point to (see scene.cpp).
extern DrawList& litObjects;
extern DrawList& shadowCasters;
extern DrawList& godRayObjects;
extern DrawList& bloomObjects;

// Re-placed every frame by the animation.
extern Model* alarmLight;
extern Model* alarmLightGrid;
extern Model* alarmLightBlocker;
extern Model* alarmLightBlockerGrid;

// Scene clock in seconds; stands still while the light animation is paused.
extern float animationTime;

// Imports and places the models, creates the light and fills the lists.
// Needs a current GL context.
void composeScene();

// Draws every model of `list` with `program`, which the pass made current.
void drawList(const DrawList& list, const ShaderProgram& program);

void animateScene();
