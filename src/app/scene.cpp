#include "app/scene.h"

#include "app/frame_clock.h"
#include "common/render_toggles.h"
#include "model/load_cache.h"
#include "model/model.h"
#include "render/point_light.h"

#include <array>
#include <cmath>
#include <iterator>
#include <memory>
#include <utility>
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

// The scene's models in the order they are made (which is the order of
// start-up's GL calls): the hallway, the pipes, the slimes, then the four
// pieces of the alarm light.
struct ModelStep {
    const char* path;
    Placement at;
};

constexpr std::size_t kPipeCount = std::size(kPipePlacements);
constexpr std::size_t kSlimeCount = std::size(kSlimePlacements);
constexpr std::size_t kFirstPipe = 1;
constexpr std::size_t kFirstSlime = kFirstPipe + kPipeCount;
constexpr std::size_t kFirstAlarmPiece = kFirstSlime + kSlimeCount;
constexpr std::size_t kAlarmPieceCount = 4;

constexpr std::array<ModelStep, kFirstAlarmPiece + kAlarmPieceCount> modelSteps()
{
    const Placement origin{0.0f, 0.0f, 0.0f, 0.0f};
    const Placement alarmStart{0.0f, kAlarmLightHeight, 0.0f, 0.0f};
    std::array<ModelStep, kFirstAlarmPiece + kAlarmPieceCount> steps{};
    steps[0] = {kHallwayPath, origin};
    for (std::size_t i = 0; i < kPipeCount; ++i) {
        steps[kFirstPipe + i] = {kPipePath, kPipePlacements[i]};
    }
    for (std::size_t i = 0; i < kSlimeCount; ++i) {
        steps[kFirstSlime + i] = {kSlimePath, kSlimePlacements[i]};
    }
    steps[kFirstAlarmPiece] = {kAlarmLightPath, alarmStart};
    steps[kFirstAlarmPiece + 1] = {kAlarmLightGridPath, alarmStart};
    steps[kFirstAlarmPiece + 2] = {kAlarmLightBlockerPath, alarmStart};
    steps[kFirstAlarmPiece + 3] = {kAlarmLightBlockerGridPath, alarmStart};
    return steps;
}

constexpr auto kModelSteps = modelSteps();
static_assert(kModelSteps.size() == SceneComposition::kModelCount);

}  // namespace

SceneComposition::SceneComposition(const std::string& workerProgram, LoadingEvents pollEvents)
    : pollEvents_(std::move(pollEvents)), cache_(workerProgram, [this] { return poll(); })
{
    poll();
}

SceneComposition::~SceneComposition() = default;

bool SceneComposition::poll()
{
    closing_ = closing_ || (pollEvents_ && !pollEvents_());
    return !closing_;
}

bool SceneComposition::loadNextModel()
{
    if (closing_ || placed_.size() == kModelSteps.size()) {
        return false;
    }
    const ModelStep& step = kModelSteps[placed_.size()];
    made_.push_back(std::make_unique<Model>(step.path, cache_));
    made_.back()->place(step.at.x, step.at.y, step.at.z, step.at.angle);
    placed_.push_back(made_.back().get());
    poll();
    return !closing_ && placed_.size() < kModelSteps.size();
}

bool SceneComposition::finish()
{
    while (loadNextModel()) {
    }
    if (closing_) {
        // A composition cut short frees its models (their GL objects, like
        // all others, end with the context) and leaves nothing to swing.
        alarmLight = alarmLightGrid = alarmLightBlocker = alarmLightBlockerGrid = nullptr;
        placed_.clear();
        return false;
    }
    // The scene's models live to the end of the process, owned by no one.
    std::vector<Model*> models;
    for (std::unique_ptr<Model>& model : made_) {
        models.push_back(model.release());
    }
    made_.clear();
    const auto run = [&models](std::size_t first, std::size_t count) {
        return std::vector<Model*>(models.begin() + static_cast<std::ptrdiff_t>(first),
                                   models.begin() + static_cast<std::ptrdiff_t>(first + count));
    };
    Model* hallway = models[0];
    const std::vector<Model*> pipes = run(kFirstPipe, kPipeCount);
    const std::vector<Model*> slimes = run(kFirstSlime, kSlimeCount);
    alarmLight = models[kFirstAlarmPiece];
    alarmLightGrid = models[kFirstAlarmPiece + 1];
    alarmLightBlocker = models[kFirstAlarmPiece + 2];
    alarmLightBlockerGrid = models[kFirstAlarmPiece + 3];

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

void SceneComposition::remakeGLObjects()
{
    cache_.remakeGLObjects();
    for (std::size_t step = 0; step < placed_.size(); ++step) {
        const LoadedModel& loaded = cache_.model(kModelSteps[step].path);
        // A file that could not be imported left its models empty.
        if (loaded.imported) {
            placed_[step]->adopt(loaded);
        }
    }
}

bool composeScene(const std::string& workerProgram, const LoadingEvents& pollEvents)
{
    return SceneComposition(workerProgram, pollEvents).finish();
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
