// What the overlay says, without GL or ImGui: the switches with their keys
// and states, the line of the other keys, and a failed rebuild.
#pragma once

#include <string>
#include <vector>

struct OverlaySwitchLine {
    std::string key;
    std::string name;
    std::string state;
    // Whether the state is the effect at work (drawn brighter).
    bool active = true;
};

// One line per switch the overlay lists, in the switch table's order, with
// the state the process holds now.
std::vector<OverlaySwitchLine> overlaySwitchLines();

// The keys that switch nothing. In the browser Escape belongs to the
// browser, which lets go of the pointer; there is no window to close.
std::string overlayKeyLine(bool inBrowser);

// A rebuild's error as the dials panel shows it: which files did not build,
// then the driver's own lines, without the printed block's heading and
// rule, which would only wrap in a narrow panel.
std::string overlayRebuildError(const std::vector<std::string>& files, const std::string& errorBlock);
