#include "app/overlay_lines.h"

#include "camera/camera_tour.h"
#include "common/render_toggles.h"

namespace {

OverlaySwitchLine effectLine(const char* key, const char* name, bool on)
{
    return {key, name, on ? "on" : "off", on};
}

}  // namespace

OverlaySwitches currentOverlaySwitches()
{
    return {shadowOn, godRaysOn, bloomOn, !lightAnimationPaused, cameraTour.freeLook};
}

std::vector<OverlaySwitchLine> overlaySwitchLines(const OverlaySwitches& switches)
{
    return {
        effectLine("S", "shadows", switches.shadows),
        effectLine("G", "god rays", switches.godRays),
        effectLine("B", "bloom", switches.bloom),
        {"L", "light", switches.lightAnimation ? "swinging" : "paused", switches.lightAnimation},
        {"Space", "camera", switches.freeLook ? "free look (mouse)" : "tour", true},
    };
}

std::string overlayKeyLine(bool inBrowser)
{
    return inBrowser ? "Esc releases the pointer   H hides this" : "Esc quits   H hides this";
}
