#include "app/window_mode.h"

#include "app/render_context.h"
#include "camera/camera_tour.h"
#include "camera/input.h"
#include "common/frame_size.h"

#include <GLFW/glfw3.h>

#ifndef __EMSCRIPTEN__

namespace {

struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where the window was before it went fullscreen, to go back to.
WindowPlace windowedPlace;

int overlap(int start, int length, int otherStart, int otherLength)
{
    const int end = start + length;
    const int otherEnd = otherStart + otherLength;
    const int from = start > otherStart ? start : otherStart;
    const int to = end < otherEnd ? end : otherEnd;
    return to > from ? to - from : 0;
}

// The monitor that holds most of the window: the one it is "on".
GLFWmonitor* monitorOf(const WindowPlace& place)
{
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    GLFWmonitor* best = glfwGetPrimaryMonitor();
    long bestArea = -1;
    for (int i = 0; i < count; ++i) {
        const GLFWvidmode* mode = glfwGetVideoMode(monitors[i]);
        if (mode == nullptr) {
            continue;
        }
        int x = 0;
        int y = 0;
        glfwGetMonitorPos(monitors[i], &x, &y);
        const long area = static_cast<long>(overlap(place.x, place.width, x, mode->width)) *
                          overlap(place.y, place.height, y, mode->height);
        if (area > bestArea) {
            best = monitors[i];
            bestArea = area;
        }
    }
    return best;
}

void followFullscreen(GLFWwindow* window)
{
    const bool fullscreen = glfwGetWindowMonitor(window) != nullptr;
    if (fullscreen == fullscreenWanted) {
        return;
    }
    if (fullscreenWanted) {
        WindowPlace& place = windowedPlace;
        glfwGetWindowPos(window, &place.x, &place.y);
        glfwGetWindowSize(window, &place.width, &place.height);
        GLFWmonitor* monitor = monitorOf(place);
        const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
        if (mode == nullptr) {
            // No monitor to fill (a display being unplugged): stay windowed.
            fullscreenWanted = false;
            return;
        }
        glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
    } else {
        const WindowPlace& place = windowedPlace;
        glfwSetWindowMonitor(window, nullptr, place.x, place.y, place.width, place.height, GLFW_DONT_CARE);
    }
}

void followCursor(GLFWwindow* window)
{
    const int wanted = cameraTour.freeLook ? GLFW_CURSOR_DISABLED : GLFW_CURSOR_NORMAL;
    if (glfwGetInputMode(window, GLFW_CURSOR) == wanted) {
        return;
    }
    glfwSetInputMode(window, GLFW_CURSOR, wanted);
    // The captured cursor reports positions of its own: the first one only
    // sets where turning starts, so the view does not jump.
    awaitingFirstCursor = true;
}

}  // namespace

void followWindowMode(const RenderContext& context)
{
    if (context.window == nullptr) {
        return;
    }
    followFullscreen(context.window);
    followCursor(context.window);
    // The desktop's scale, which the overlay's text follows; it changes when
    // the window moves to a screen of another scale.
    float scaleY = 1.0f;
    glfwGetWindowContentScale(context.window, &contentScale, &scaleY);
}

#else

void followWindowMode(const RenderContext& /*context*/) {}

#endif
