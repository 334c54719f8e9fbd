// The hallway scene: sixteen models from seven files, the one red point
// light, the four draw lists it fills to say which pass draws what, and the
// per-frame swing of the alarm-light assembly.
#pragma once

#include "render/draw_lists.h"

#include <functional>
#include <string>

class Model;

// Re-placed every frame by the animation.
extern Model* alarmLight;
extern Model* alarmLightGrid;
extern Model* alarmLightBlocker;
extern Model* alarmLightBlockerGrid;

// Scene clock in seconds; stands still while the light animation is paused.
extern float animationTime;

// Start-up's link to the window while the scene loads: polls its events and
// says whether to go on (false once the window has been asked to close).
using LoadingEvents = std::function<bool()>;

// Imports and places the models, creates the light and fills the lists;
// each model file is loaded once, however many models it makes, by a
// loading worker (`workerProgram`) that lives while composition does. While
// files load, `pollEvents` runs every kLoadingPollInterval or so; once it
// says stop, the worker is killed, composition ends at once, leaves the
// lists empty and returns false. Needs a current GL context.
bool composeScene(const std::string& workerProgram, const LoadingEvents& pollEvents = nullptr);

void animateScene();
