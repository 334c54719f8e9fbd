#include "support/started_viewer.h"

#include "support/gl_context.h"

#include <GLFW/glfw3.h>
#include <unistd.h>

#include <stdexcept>

StartedViewer& startedViewer()
{
    static StartedViewer viewer = [] {
        if (chdir(VORLUNE_SOURCE_DIR) != 0) {
            throw std::runtime_error("cannot enter the source directory");
        }
        StartedViewer started;
        started.startupOutput = captureStdout([&] {
            started.window = openWindow(WindowVisibility::Hidden);
            if (started.window != nullptr) {
                started.programs = prepareRendering();
            }
        });
        if (started.window == nullptr) {
            throw std::runtime_error("openWindow failed: " + started.startupOutput);
        }
        return started;
    }();
    glfwMakeContextCurrent(viewer.window);
    return viewer;
}
