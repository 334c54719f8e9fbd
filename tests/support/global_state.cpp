#include "support/global_state.h"

#include "app/frame_clock.h"
#include "app/scene.h"
#include "camera/camera.h"
#include "camera/camera_tour.h"
#include "camera/input.h"
#include "common/dials.h"
#include "common/frame_size.h"
#include "common/shader_rebuilds.h"
#include "common/pass_view.h"
#include "common/render_toggles.h"
#include "render/draw_lists.h"
#include "render/point_light.h"

void resetGlobalState()
{
    camera = Camera();
    cameraTour = CameraTour();
    awaitingFirstCursor = true;
    lastCursorX = 400.0f;
    lastCursorY = 300.0f;
    godRaysOn = true;
    bloomOn = true;
    shadowOn = true;
    lightAnimationPaused = false;
    overlayShown = false;
    showPassView(PassView::Frame);
    fullscreenWanted = false;
    contentScale = 1.0f;
    deltaTime = 0.0f;
    lastFrame = 0.0f;
    animationTime = 0.0f;
    resetAllDials();
    chosenDial = kDialGodRayExposure;
    takeShaderRebuildRequests();
    lastShaderRebuild.reset();
}

void clearScene()
{
    litObjects.clear();
    shadowCasters.clear();
    godRayObjects.clear();
    bloomObjects.clear();
    lights.clear();
    alarmLight = alarmLightGrid = alarmLightBlocker = alarmLightBlockerGrid = nullptr;
}
