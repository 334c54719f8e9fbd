// The hallway scene: sixteen models from seven files, the one red point
// light, the four draw lists it fills to say which pass draws what, and the
// per-frame swing of the alarm-light assembly.
#pragma once

#include "model/load_cache.h"
#include "model/model.h"
#include "render/draw_lists.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// The scene made a model at a time, for a caller that must hand control
// back between models (the browser, whose page must keep answering while
// the files load, and which has no thread to load them on).
class SceneComposition {
public:
    static constexpr std::size_t kModelCount = 16;

    // As composeScene takes them; needs a current GL context.
    SceneComposition(const std::string& workerProgram, LoadingEvents pollEvents = nullptr);
    ~SceneComposition();
    SceneComposition(const SceneComposition&) = delete;
    SceneComposition& operator=(const SceneComposition&) = delete;

    // Makes and places the next model (its file loaded on first use);
    // false once every model is made or loading has been stopped.
    bool loadNextModel();
    std::size_t modelsMade() const { return placed_.size(); }

    // Makes whatever models are left, then creates the light and fills the
    // lists; false, with the lists left empty, when loading was stopped.
    bool finish();

    // Makes every GL object of the models made so far again, on new names
    // (see LoadCache::remakeGLObjects), for a context that lost them; the
    // models keep their places.
    void remakeGLObjects();

private:
    // Whether to go on.
    bool poll();

    LoadingEvents pollEvents_;
    bool closing_ = false;
    LoadCache cache_;
    std::vector<std::unique_ptr<Model>> made_;
    // Every model made, also once finish() has handed them to the scene,
    // in the order of the steps that made them.
    std::vector<Model*> placed_;
};

// Imports and places the models, creates the light and fills the lists;
// each model file is loaded once, however many models it makes, by a
// loading worker (`workerProgram`) that lives while composition does. While
// files load, `pollEvents` runs every kLoadingPollInterval or so; once it
// says stop, the worker is killed, composition ends at once, leaves the
// lists empty and returns false. Needs a current GL context.
bool composeScene(const std::string& workerProgram, const LoadingEvents& pollEvents = nullptr);

void animateScene();
