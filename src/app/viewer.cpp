#include "app/viewer.h"

#include "app/data_folder.h"
#include "app/frame_clock.h"
#include "app/frame_loop.h"
#include "app/overlay.h"
#include "app/scene.h"
#include "app/startup.h"
#include "camera/camera.h"
#include "camera/camera_tour.h"
#include "common/render_toggles.h"
#include "common/startup_profile.h"
#include "common/system_path.h"

#include <algorithm>

namespace {

// The moment the scripted frame being rendered shows.
double scriptedTime = 0.0;

double readScriptedTime()
{
    return scriptedTime;
}

void holdFreeLook(const FreeLookHeading& heading)
{
    cameraTour.freeLook = true;
    camera.yaw = heading.yaw;
    camera.pitch = std::clamp(heading.pitch, -kMaxPitch, kMaxPitch);
    camera.updateVectors();
}

}  // namespace

std::optional<Viewer> startViewer(ContextKind kind, FrameSize size)
{
    std::optional<RenderContext> context = openRenderContext(kind, size);
    if (!context) {
        return std::nullopt;
    }
    // The targets are made at the size there is from the first: a scaled
    // desktop gives the window more pixels than its size in units.
    const FrameSize made = contextFrameSize(*context);
    frameSize = hasPixels(made) ? made : kStartFrameSize;
    return Viewer{*context, prepareRendering()};
}

bool loadScene(const Viewer& viewer)
{
    const StartupTimer timer(&StartupProfile::sceneMs);
    return composeScene(utf8FromPath(loadingWorkerProgram()),
                        [&viewer] { return pollLoadingEvents(viewer.context); });
}

void closeViewer(Viewer& viewer)
{
    closeOverlay();
    closeRenderContext(viewer.context);
}

void renderScriptedFrame(const Viewer& viewer, const ScriptedFrame& frame, PassTimer* timer)
{
    setRenderToggles(frame.toggles);
    scriptedTime = frame.clockTime;
    frameClock = readScriptedTime;
    advanceFrame(viewer.context);
    followFrameSize(viewer.context, viewer.programs);
    if (frame.freeLook) {
        holdFreeLook(*frame.freeLook);
    }
    renderFrame(viewer.programs, timer != nullptr ? timer : overlayPassTimer());
    if (overlayShown) {
        drawOverlay();
    }
}

void restartTour()
{
    camera = Camera();
    cameraTour = CameraTour();
    animationTime = 0.0f;
    lastFrame = 0.0f;
}
