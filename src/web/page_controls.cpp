#include "web/page_controls.h"

#include "camera/camera_tour.h"
#include "camera/input.h"
#include "camera/switch_table.h"
#include "common/frame_size.h"

#include <emscripten.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

namespace {

// The states last shown on the buttons, a bit per row (rows past the bits
// would show no change; the table has eight); none before the first call, so
// that call shows them all.
constexpr std::size_t kStateBits = 32;
std::uint32_t shownStates = 0;
bool statesShown = false;

// Whatever the page hands back, only a row of the table flips.
void flipPressedSwitches(std::span<const Switch> table)
{
    for (;;) {
        const int pressed = EM_ASM_INT({ return Module.takeSwitchPress ? Module.takeSwitchPress() : -1; });
        if (pressed < 0 || static_cast<std::size_t>(pressed) >= table.size()) {
            return;
        }
        flipSwitch(table[static_cast<std::size_t>(pressed)]);
    }
}

void turnByFinger(std::span<const Switch> table)
{
    // Each axis taken apart: 0 for x, 1 for y.
    const double dx = EM_ASM_DOUBLE({ return Module.takeFingerMovement ? Module.takeFingerMovement($0) : 0; }, 0);
    const double dy = EM_ASM_DOUBLE({ return Module.takeFingerMovement ? Module.takeFingerMovement($0) : 0; }, 1);
    if ((dx == 0.0 && dy == 0.0) || !std::isfinite(dx) || !std::isfinite(dy)) {
        return;
    }
    // A drag in the tour means to look around: it takes the camera as Space
    // does, through the camera's switch, and turns it from there.
    if (!cameraTour.freeLook) {
        for (const Switch& row : table) {
            if (row.flag == &cameraTour.freeLook) {
                flipSwitch(row);
            }
        }
    }
    turnBy(dx, dy);
}

std::uint32_t switchStates(std::span<const Switch> table)
{
    std::uint32_t states = 0;
    for (std::size_t i = 0; i < table.size() && i < kStateBits; ++i) {
        states |= switchOn(table[i]) ? (1U << i) : 0U;
    }
    return states;
}

}  // namespace

void startPageControls()
{
    const std::span<const Switch> table = switchTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Switch& row = table[i];
        EM_ASM(
            {
                if (Module.addSwitchButton) {
                    Module.addSwitchButton($0, UTF8ToString($1), UTF8ToString($2), UTF8ToString($3),
                                           UTF8ToString($4), $5 != 0, $6 != 0);
                }
            },
            static_cast<int>(i), row.keyName, row.label, row.onWord, row.offWord, row.offIsDim ? 1 : 0,
            row.flag == &fullscreenWanted ? 1 : 0);
    }
}

void followPageControls()
{
    const std::span<const Switch> table = switchTable();
    flipPressedSwitches(table);
    turnByFinger(table);
    const std::uint32_t states = switchStates(table);
    // The page's layout is left alone while nothing changed.
    if (statesShown && states == shownStates) {
        return;
    }
    EM_ASM({ if (Module.showSwitchStates) Module.showSwitchStates($0); }, states);
    shownStates = states;
    statesShown = true;
}
