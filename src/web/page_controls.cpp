#include "web/page_controls.h"

#include "camera/camera_tour.h"
#include "camera/input.h"
#include "camera/switch_table.h"
#include "common/dials.h"
#include "common/frame_size.h"
#include "common/render_toggles.h"

#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace {

// The states last shown on the buttons, a bit per row (rows past the bits
// would show no change; the table has eight); none before the first call, so
// that call shows them all.
constexpr std::size_t kStateBits = 32;
std::uint32_t shownStates = 0;
bool statesShown = false;

// The dials' values last shown beside their inputs; none before the first
// call, so that call shows them all.
std::array<float, kDialCount> shownDialValues{};
bool dialValuesShown = false;

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

// Whatever the page hands back, only a row of the table moves, and only to
// a finite value within its range (setDial then snaps it to a step).
void setMovedDials(std::span<const Dial> table)
{
    for (;;) {
        const int moved = EM_ASM_INT({ return Module.takeDialMove ? Module.takeDialMove() : -1; });
        if (moved < 0 || static_cast<std::size_t>(moved) >= table.size()) {
            return;
        }
        const Dial& dial = table[static_cast<std::size_t>(moved)];
        const double value = EM_ASM_DOUBLE({ return Number(Module.takenDialValue); });
        if (std::isfinite(value)) {
            setDial(dial.id, static_cast<float>(std::clamp(value, static_cast<double>(dial.least),
                                                           static_cast<double>(dial.most))));
        }
    }
}

// A dial moved by the overlay's arrows, by its input or by the reset button
// shows its new value beside its input; the rest are left alone.
void showDialValues(std::span<const Dial> table)
{
    for (std::size_t i = 0; i < table.size() && i < shownDialValues.size(); ++i) {
        const float value = dialValue(table[i].id);
        if (dialValuesShown && value == shownDialValues[i]) {
            continue;
        }
        const std::string text = dialText(table[i], value);
        EM_ASM({ if (Module.showDialValue) Module.showDialValue($0, $1, UTF8ToString($2)); }, static_cast<int>(i),
               static_cast<double>(value), text.c_str());
        shownDialValues[i] = value;
    }
    dialValuesShown = true;
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
    const std::span<const Dial> dials = dialTable();
    for (std::size_t i = 0; i < dials.size(); ++i) {
        const Dial& dial = dials[i];
        const std::string byDefault = dialText(dial, dial.byDefault);
        EM_ASM(
            {
                if (Module.addDialInput) {
                    Module.addDialInput($0, UTF8ToString($1), UTF8ToString($2), $3, $4, $5, $6, UTF8ToString($7));
                }
            },
            static_cast<int>(i), dial.name, dial.effect, static_cast<double>(dial.least),
            static_cast<double>(dial.most), static_cast<double>(dial.step), static_cast<double>(dial.byDefault),
            byDefault.c_str());
    }
}

void followPageControls()
{
    const std::span<const Switch> table = switchTable();
    flipPressedSwitches(table);
    setMovedDials(dialTable());
    turnByFinger(table);
    showDialValues(dialTable());
    const std::uint32_t states = switchStates(table);
    // The page's layout is left alone while nothing changed. The overlay is
    // one of the switches, so its change comes this way too.
    if (statesShown && states == shownStates) {
        return;
    }
    EM_ASM({ if (Module.showSwitchStates) Module.showSwitchStates($0, $1 != 0); }, states, overlayShown ? 1 : 0);
    shownStates = states;
    statesShown = true;
}
