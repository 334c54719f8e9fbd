#include "app/overlay_lines.h"

#include "camera/switch_table.h"

#include <filesystem>
#include <sstream>

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

std::string overlayRebuildError(const std::vector<std::string>& files, const std::string& errorBlock)
{
    std::string text;
    for (const std::string& file : files) {
        text += (text.empty() ? "" : ", ") + std::filesystem::path(file).filename().string();
    }
    text += " did not build; the last good program draws:";
    std::istringstream lines(errorBlock);
    for (std::string line; std::getline(lines, line);) {
        // The block's heading and rule start with "|"; the read failure is
        // one line of its own.
        if (!line.empty() && line[0] != '|') {
            text += "\n" + line;
        }
    }
    return text;
}
