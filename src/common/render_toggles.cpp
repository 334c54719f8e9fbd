#include "common/render_toggles.h"

// Every effect starts on, so the first frame sets every uniform the lighting
// program has.
bool godRaysOn = true;
bool bloomOn = true;
bool shadowOn = true;
bool lightAnimationPaused = false;

void setRenderToggles(const RenderToggles& toggles)
{
    shadowOn = toggles.shadows;
    godRaysOn = toggles.godRays;
    bloomOn = toggles.bloom;
    lightAnimationPaused = !toggles.lightAnimation;
}
