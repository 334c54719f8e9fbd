#include "common/render_toggles.h"

// Every effect starts on, so the first frame sets every uniform the lighting
// program has.
bool godRaysOn = true;
bool bloomOn = true;
bool shadowOn = true;
bool lightAnimationPaused = false;
// Hidden until asked for, so a frame without it is exactly the frame.
bool overlayShown = false;

void setRenderToggles(const RenderToggles& toggles)
{
    shadowOn = toggles.shadows;
    godRaysOn = toggles.godRays;
    bloomOn = toggles.bloom;
    lightAnimationPaused = !toggles.lightAnimation;
}

RenderToggles currentRenderToggles()
{
    return {shadowOn, godRaysOn, bloomOn, !lightAnimationPaused};
}
