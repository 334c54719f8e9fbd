#include "app/overlay_lines.h"

#include "camera/switch_table.h"

std::vector<OverlaySwitchLine> overlaySwitchLines()
{
    std::vector<OverlaySwitchLine> lines;
    for (const Switch& row : switchTable()) {
        if (row.listedOnOverlay) {
            const bool on = switchOn(row);
            const std::string state = row.stateText != nullptr ? row.stateText() : (on ? row.onWord : row.offWord);
            lines.push_back({row.keyName, row.label, state, on || !row.offIsDim});
        }
    }
    return lines;
}

std::string overlayKeyLine(bool inBrowser)
{
    return inBrowser ? "Esc releases the pointer   H hides this" : "Esc quits   H hides this";
}
