#include "app/startup.h"

#include "camera/input.h"
#include "common/startup_profile.h"
#include "common/window.h"
#include "render/pass_table.h"
#include "render/shadow_pass.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <iostream>
#include <string>

namespace {

constexpr int kContextMajor = 3;
constexpr int kContextMinor = 3;
// Wait for one vertical blank per frame: no tearing, and no busy rendering
// faster than the display can show.
constexpr int kSwapInterval = 1;

// GLFW's description of the latest error it reported. Kept, not printed:
// only a failed start-up step names it, in its one line.
std::string windowSystemError;

void recordWindowSystemError(int /*code*/, const char* description)
{
    windowSystemError = description != nullptr ? description : "";
}

GLFWwindow* failStartup(const char* step, std::string reason)
{
    std::replace(reason.begin(), reason.end(), '\n', ' ');
    std::cout << "Vorlune cannot start: " << step << (reason.empty() ? "" : ": ") << reason << std::endl;
    glfwTerminate();
    return nullptr;
}

GLFWwindow* createWindow()
{
    return glfwCreateWindow(kWindowWidth, kWindowHeight, kWindowTitle, nullptr, nullptr);
}

}  // namespace

GLFWwindow* openWindow(WindowVisibility visibility)
{
    // Installed first (GLFW allows it before initialisation), so that a
    // failure of glfwInit itself comes with GLFW's reason.
    glfwSetErrorCallback(recordWindowSystemError);
    if (!glfwInit()) {
        return failStartup("the window system failed to initialise", windowSystemError);
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, kContextMajor);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, kContextMinor);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    // Everything that depends on the size follows the framebuffer, so the
    // window may take any size; on a scaled desktop it opens at 1280x720 in
    // the desktop's units, not as a small box of 1280x720 pixels.
    glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
#ifndef __EMSCRIPTEN__
    glfwWindowHint(GLFW_SCALE_TO_MONITOR, GLFW_TRUE);
#endif
    if (visibility == WindowVisibility::Hidden) {
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    }

    GLFWwindow* window = createWindow();
    if (window == nullptr) {
        // macOS makes 3.2 and later core contexts only forward-compatible.
        glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
        window = createWindow();
    }
    if (window == nullptr) {
#ifdef __EMSCRIPTEN__
        // A page's context is WebGL 2, which the browser may not offer.
        return failStartup("no WebGL2 context could be created", windowSystemError);
#else
        return failStartup("no window with an OpenGL 3.3 core context could be created", windowSystemError);
#endif
    }
    glfwMakeContextCurrent(window);
    glfwSetKeyCallback(window, onKey);
    glfwSetCursorPosCallback(window, onCursorPos);
    // The cursor stays an ordinary one until free look takes it
    // (app/window_mode.h). A page may take the pointer only when the person
    // clicks; it asks then (tools/web/shell.html), and Escape gives it back.
    glfwSwapInterval(kSwapInterval);

    const GLenum glewStatus = loadGlEntryPoints();
    if (glewStatus != GLEW_OK) {
        return failStartup("the OpenGL entry points could not be loaded (glewInit failed)",
                           reinterpret_cast<const char*>(glewGetErrorString(glewStatus)));
    }
    return window;
}

GLenum loadGlEntryPoints()
{
    // Every entry point the driver exports, even those its extension string
    // does not list.
    glewExperimental = GL_TRUE;
    const GLenum status = glewInit();
    // GLEW built for GLX goes on to ask a GLX display for its extensions and,
    // without one (an EGL context), reports "no GLX display" although the GL
    // entry points did load. (The browser's GLEW has no GLX to ask.)
#ifdef GLEW_ERROR_NO_GLX_DISPLAY
    if (status == GLEW_ERROR_NO_GLX_DISPLAY && glGenFramebuffers != nullptr) {
        return GLEW_OK;
    }
#endif
    return status;
}

ShaderPrograms prepareRendering()
{
    {
        const StartupTimer timer(&StartupProfile::renderTargetsMs);
        createRenderTargets();
        farPlane = kShadowFarPlane;
        shadowProjection = makeShadowProjection();
    }
    return buildShaderPrograms();
}
