// Vorlune: a real-time hallway scene viewer. Opens the window, prepares the
// render targets and programs, composes the scene and runs the frame loop.
#include "app/data_folder.h"
#include "app/frame_loop.h"
#include "app/render_context.h"
#include "app/scene.h"
#include "app/startup.h"

#include <GLFW/glfw3.h>

int main()
{
    if (!enterDataFolder()) {
        return 1;
    }
    GLFWwindow* window = openWindow();
    if (window == nullptr) {
        return 1;
    }
    RenderContext context;
    context.window = window;
    // The window is on screen from here on: it must answer while the rest of
    // start-up runs.
    pollFrameEvents(context);
    const ShaderPrograms programs = prepareRendering();
    if (composeScene([&context] { return pollLoadingEvents(context); })) {
        runFrameLoop(window, programs);
    }
    glfwTerminate();
    return 0;
}
