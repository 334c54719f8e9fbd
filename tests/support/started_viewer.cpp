#include "support/started_viewer.h"

#include "support/gl_context.h"

#include <GLFW/glfw3.h>
#include <unistd.h>

#include <cstdlib>
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
        // Torn down before exit, as the viewer does (see testGLContext).
        std::atexit(glfwTerminate);
        return started;
    }();
    glfwMakeContextCurrent(viewer.window);
    return viewer;
}
