#include "camera/input.h"

#include "camera/camera.h"
#include "camera/camera_tour.h"
#include "camera/switch_table.h"
#include "common/dials.h"
#include "common/render_toggles.h"

#include <GLFW/glfw3.h>

#include <cmath>

bool awaitingFirstCursor = true;
float lastCursorX = 400.0f;
float lastCursorY = 300.0f;

namespace {

// While the overlay is shown: up and down choose a dial, left and right turn
// it, Backspace puts it back (Shift+Backspace every dial). Unlike the
// switches these act on press and on each repeat, so a held arrow keeps
// turning. Returns whether the key was one of them.
bool handleDialKey(int key, int action, int mods)
{
    if (!overlayShown || (action != GLFW_PRESS && action != GLFW_REPEAT)) {
        return false;
    }
    switch (key) {
    case GLFW_KEY_UP:
        chooseNextDial(-1);
        return true;
    case GLFW_KEY_DOWN:
        chooseNextDial(1);
        return true;
    case GLFW_KEY_LEFT:
        nudgeDial(chosenDial, -1);
        return true;
    case GLFW_KEY_RIGHT:
        nudgeDial(chosenDial, 1);
        return true;
    case GLFW_KEY_BACKSPACE:
        if ((mods & GLFW_MOD_SHIFT) != 0) {
            resetAllDials();
        } else {
            resetDial(chosenDial);
        }
        return true;
    default:
        return false;
    }
}

}  // namespace

bool handleKey(int key, int action, int mods)
{
    if (key == GLFW_KEY_ESCAPE && action == GLFW_PRESS) {
        return true;
    }
    if (handleDialKey(key, action, mods)) {
        return false;
    }
    // Switches act on release so a held key (and its repeats) flips once.
    if (action == GLFW_RELEASE) {
        for (const Switch& row : switchTable()) {
            if (flippedBy(row, key)) {
                flipSwitch(row);
            }
        }
    }
    return false;
}

void handleCursor(double x, double y)
{
    if (!cameraTour.freeLook) {
        return;
    }
    float referenceX = lastCursorX;
    float referenceY = lastCursorY;
    if (awaitingFirstCursor) {
        awaitingFirstCursor = false;
        referenceX = static_cast<float>(x);
        referenceY = static_cast<float>(y);
    }
    // Screen y grows downwards, so moving the mouse up must raise the pitch.
    const float xOffset = static_cast<float>(x - static_cast<double>(referenceX));
    const float yOffset = static_cast<float>(static_cast<double>(referenceY) - y);
    lastCursorX = static_cast<float>(x);
    lastCursorY = static_cast<float>(y);
    camera.look(xOffset, yOffset);
}

void turnBy(double dx, double dy)
{
    if (!cameraTour.freeLook || !std::isfinite(dx) || !std::isfinite(dy)) {
        return;
    }
    // As handleCursor: screen y grows downwards.
    camera.look(static_cast<float>(dx), static_cast<float>(-dy));
}

void onKey(GLFWwindow* window, int key, int /*scancode*/, int action, int mods)
{
    if (handleKey(key, action, mods)) {
        glfwSetWindowShouldClose(window, 1);
    }
}

void onCursorPos(GLFWwindow* /*window*/, double x, double y)
{
    handleCursor(x, y);
}
