#include "app/scene.h"

#include "app/frame_clock.h"
#include "common/render_toggles.h"
#include "model/load_cache.h"
#include "model/model.h"
#include "render/point_light.h"

#include <cmath>
#include <memory>
#include <vector>

Model* alarmLight = nullptr;
Model* alarmLightGrid = nullptr;
Model* alarmLightBlocker = nullptr;
Model* alarmLightBlockerGrid = nullptr;

float animationTime = 0.0f;

namespace {

constexpr const char* kHallwayPath = "data/models/hallway.obj";
constexpr const char* kPipePath = "data/models/pipe.obj";
constexpr const char* kSlimePath = "data/models/slime.obj";
constexpr const char* kAlarmLightPath = "data/models/alarmlight.obj";
constexpr const char* kAlarmLightGridPath = "data/models/alarmlightGrid.obj";
constexpr const char* kAlarmLightBlockerPath = "data/models/alarmlightBlocker.obj";
constexpr const char* kAlarmLightBlockerGridPath = "data/models/alarmlightBlockerGrid.obj";

struct Placement {
    float x, y, z, angle;
};

// Pipes stand in two rows along the side walls, around the light's swing.
constexpr Placement kPipePlacements[] = {
    {0.3f, 0.1f, 0.7f, 0.0f},   {0.7f, 0.1f, 0.7f, 0.0f},   {-0.2f, 0.1f, 0.7f, 0.0f},
    {-0.6f, 0.1f, 0.7f, 0.0f},  {0.1f, 0.1f, -0.7f, 0.0f},  {0.5f, 0.1f, -0.7f, 0.0f},
    {-0.3f, 0.1f, -0.7f, 0.0f}, {-0.7f, 0.1f, -0.7f, 0.0f},
};
constexpr Placement kSlimePlacements[] = {
    {-2.0f, 0.1f, -0.2f, 20.0f},
    {-0.3f, 0.1f, 0.4f, 120.0f},
    {1.4f, 0.1f, -0.3f, 70.0f},
};
// The assembly hangs from the ceiling; the light sits 0.2 below its origin,
// inside the beacon's dome.
constexpr float kAlarmLightHeight = 2.2f;
constexpr float kLightHeight = 2.0f;
constexpr float kLightSwingAmplitude = 0.5f;
constexpr float kGridTurnRate = -30.0f;     // degrees per second of animation time
constexpr float kBlockerTurnRate = 290.0f;  // degrees per second of animation time

constexpr glm::vec3 kLightAmbient{0.5f, 0.4f, 0.4f};
constexpr glm::vec3 kLightDiffuse{1.0f, 0.2f, 0.2f};
constexpr glm::vec3 kLightSpecular{0.9f, 0.2f, 0.2f};
constexpr float kLightConstant = 0.5f;
constexpr float kLightLinear = 0.4f;
constexpr float kLightQuadratic = 0.25f;

// A light may exist without the assembly (a test's scene, say); only a
// composed scene has the four models to swing.
void placeIfComposed(Model* model, float x, float angle)
{
    if (model != nullptr) {
        model->place(x, kAlarmLightHeight, 0.0f, angle);
    }
}

// Builds the scene's models in order, from one start-up's loads, until the
// window is asked to close. It holds what it made until the scene keeps it;
// a composition cut short frees its models (their GL objects, like all
// others, end with the context).
class SceneLoader {
public:
    SceneLoader(const std::string& workerProgram, const LoadingEvents& pollEvents)
        : pollEvents_(pollEvents), cache_(workerProgram, [this] { return poll(); })
    {
        poll();
    }

    // Null once closing: the models still to come are never made.
    Model* placeNew(const char* path, const Placement& at)
    {
        if (closing_) {
            return nullptr;
        }
        made_.push_back(std::make_unique<Model>(path, cache_));
        made_.back()->place(at.x, at.y, at.z, at.angle);
        poll();
        return made_.back().get();
    }

    bool closing() const { return closing_; }

    // The scene's models live to the end of the process, owned by no one.
    void keepModels()
    {
        for (std::unique_ptr<Model>& model : made_) {
            static_cast<void>(model.release());
        }
    }

private:
    // Whether to go on.
    bool poll()
    {
        closing_ = closing_ || (pollEvents_ && !pollEvents_());
        return !closing_;
    }

    const LoadingEvents& pollEvents_;
    bool closing_ = false;
    LoadCache cache_;
    std::vector<std::unique_ptr<Model>> made_;
};

}  // namespace

bool composeScene(const std::string& workerProgram, const LoadingEvents& pollEvents)
{
    const Placement origin{0.0f, 0.0f, 0.0f, 0.0f};
    const Placement alarmStart{0.0f, kAlarmLightHeight, 0.0f, 0.0f};

    SceneLoader loader(workerProgram, pollEvents);
    Model* hallway = loader.placeNew(kHallwayPath, origin);
    std::vector<Model*> pipes;
    for (const Placement& at : kPipePlacements) {
        pipes.push_back(loader.placeNew(kPipePath, at));
    }
    std::vector<Model*> slimes;
    for (const Placement& at : kSlimePlacements) {
        slimes.push_back(loader.placeNew(kSlimePath, at));
    }
    alarmLight = loader.placeNew(kAlarmLightPath, alarmStart);
    alarmLightGrid = loader.placeNew(kAlarmLightGridPath, alarmStart);
    alarmLightBlocker = loader.placeNew(kAlarmLightBlockerPath, alarmStart);
    alarmLightBlockerGrid = loader.placeNew(kAlarmLightBlockerGridPath, alarmStart);
    if (loader.closing()) {
        alarmLight = alarmLightGrid = alarmLightBlocker = alarmLightBlockerGrid = nullptr;
        return false;
    }
    loader.keepModels();

    // Its position is set by the animation before any pass reads it.
    PointLight* light = new PointLight;
    light->index = 0;
    light->ambient = kLightAmbient;
    light->diffuse = kLightDiffuse;
    light->specular = kLightSpecular;
    light->constant = kLightConstant;
    light->linear = kLightLinear;
    light->quadratic = kLightQuadratic;

    // The hallway is never a caster: it encloses the light, and every
    // surface it could shadow is itself.
    litObjects.push_back(hallway);
    litObjects.insert(litObjects.end(), pipes.begin(), pipes.end());
    litObjects.push_back(alarmLight);
    litObjects.push_back(alarmLightGrid);
    litObjects.insert(litObjects.end(), slimes.begin(), slimes.end());

    // The visible housing would wrap the light and shadow everything; the
    // blockers stand in for it in the shadow and god-ray images.
    shadowCasters.insert(shadowCasters.end(), pipes.begin(), pipes.end());
    shadowCasters.insert(shadowCasters.end(), slimes.begin(), slimes.end());
    shadowCasters.push_back(alarmLightBlocker);
    shadowCasters.push_back(alarmLightBlockerGrid);

    godRayObjects.push_back(alarmLight);
    godRayObjects.push_back(alarmLightBlocker);
    godRayObjects.push_back(alarmLightBlockerGrid);

    bloomObjects.insert(bloomObjects.end(), slimes.begin(), slimes.end());

    lights.push_back(light);
    return true;
}

void animateScene()
{
    if (!lightAnimationPaused) {
        animationTime += deltaTime;
    }
    if (lights.empty()) {
        return;
    }
    // animationTime is taken as radians: one swing every 2*pi seconds.
    const float swing = kLightSwingAmplitude * std::sin(animationTime);
    for (PointLight* light : lights) {
        light->position = glm::vec3(swing, kLightHeight, 0.0f);
        placeIfComposed(alarmLight, swing, 0.0f);
        placeIfComposed(alarmLightGrid, swing, kGridTurnRate * animationTime);
        placeIfComposed(alarmLightBlocker, swing, kBlockerTurnRate * animationTime);
        placeIfComposed(alarmLightBlockerGrid, swing, kGridTurnRate * animationTime);
    }
}
