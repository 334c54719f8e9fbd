// Vorlune: a real-time hallway scene viewer. Opens the window, prepares the
// render targets and programs, composes the scene and runs the frame loop.
#include "app/data_folder.h"
#include "app/frame_loop.h"
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
    const ShaderPrograms programs = prepareRendering();
    composeScene();
    runFrameLoop(window, programs);
    glfwTerminate();
    return 0;
}
