// The hallway scene: sixteen models from seven files, the one red point
// light, the four draw lists it fills to say which pass draws what, and the
// per-frame swing of the alarm-light assembly.
#pragma once

#include "render/draw_lists.h"

class Model;

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

void animateScene();
