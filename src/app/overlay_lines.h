// What the overlay says, without GL or ImGui: the switches with their keys
// and states, and the line of the other keys.
#pragma once

#include <string>
#include <vector>

// The state the switch lines show.
struct OverlaySwitches {
    bool shadows = true;
    bool godRays = true;
    bool bloom = true;
    bool lightAnimation = true;
    bool freeLook = false;
};

struct OverlaySwitchLine {
    std::string key;
    std::string name;
    std::string state;
    // Whether the state is the effect at work (drawn brighter).
    bool active = true;
};

// The switches as the process holds them now.
OverlaySwitches currentOverlaySwitches();

// One line per key that switches something, in the order the keys are
// usually tried: the three effects, the light, the camera.
std::vector<OverlaySwitchLine> overlaySwitchLines(const OverlaySwitches& switches);

// The keys that switch nothing. In the browser Escape belongs to the
// browser, which lets go of the pointer; there is no window to close.
std::string overlayKeyLine(bool inBrowser);
