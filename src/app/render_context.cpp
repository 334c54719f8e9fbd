#include "app/render_context.h"

#include "app/frame_clock.h"
#include "app/startup.h"
#include "common/startup_profile.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdlib>
#include <iostream>

#ifdef __EMSCRIPTEN__
#include <emscripten/html5.h>
#endif

namespace {

std::chrono::steady_clock::time_point offscreenStart;

double secondsSinceOffscreenStart()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - offscreenStart).count();
}

#ifdef _WIN32
constexpr const char* kWindowSystem = "WGL";
#else
constexpr const char* kWindowSystem = "GLX";
#endif

// A hidden window serves a tool as a context of the size it asks for. A
// desktop may keep a window within its screen, or scale it, and then the
// frame is not that size: that fails with one line. The targets are made
// afterwards, at the size it got.
bool resizeHiddenWindow(const RenderContext& context, FrameSize size)
{
    glfwSetWindowSize(context.window, size.width, size.height);
    // A swap makes the GL take the drawable's new size now: on Mesa's GLX
    // the first frame drawn before one differed from all later frames (and
    // from the offscreen frame) in a hundred-odd pixels.
    glfwSwapBuffers(context.window);
    const FrameSize got = contextFrameSize(context);
    if (got == size) {
        return true;
    }
    std::cout << "Vorlune cannot start: the hidden window's frame is " << got.width << "x" << got.height
              << " pixels, not the " << size.width << "x" << size.height << " asked for" << std::endl;
    glfwTerminate();
    return false;
}

}  // namespace

ContextKind chooseContextKind([[maybe_unused]] bool offscreenRequested)
{
#ifndef VORLUNE_HAVE_EGL
    // Without EGL (Windows) the only context there is belongs to a window,
    // and Windows always has a desktop to open one on.
    return ContextKind::HiddenWindow;
#else
    const char* display = std::getenv("DISPLAY");
    const bool noDisplay = display == nullptr || *display == '\0';
    return offscreenRequested || noDisplay ? ContextKind::Offscreen : ContextKind::HiddenWindow;
#endif
}

std::optional<RenderContext> openRenderContext(ContextKind kind, FrameSize size)
{
    const StartupTimer timer(&StartupProfile::contextMs);
    RenderContext context;
    if (kind != ContextKind::Offscreen) {
        context.window =
            openWindow(kind == ContextKind::Window ? WindowVisibility::Shown : WindowVisibility::Hidden);
        if (context.window == nullptr) {
            return std::nullopt;
        }
        if (kind == ContextKind::HiddenWindow && size != kStartFrameSize && !resizeHiddenWindow(context, size)) {
            return std::nullopt;
        }
    } else {
        context.offscreen.size = size;
        if (!openOffscreenContext(context.offscreen)) {
            return std::nullopt;
        }
        offscreenStart = std::chrono::steady_clock::now();
        frameClock = secondsSinceOffscreenStart;
    }
    // From here on a window would be on screen and must answer.
    pollFrameEvents(context);
    return context;
}

void makeRenderContextCurrent(const RenderContext& context)
{
    if (context.window != nullptr) {
        glfwMakeContextCurrent(context.window);
    } else {
        makeOffscreenContextCurrent(context.offscreen);
    }
}

void pollFrameEvents(const RenderContext& context)
{
    if (context.window != nullptr) {
        glfwPollEvents();
    }
    recordEventPoll();
}

bool pollLoadingEvents(const RenderContext& context)
{
    pollFrameEvents(context);
    return context.window == nullptr || !glfwWindowShouldClose(context.window);
}

FrameSize contextFrameSize(const RenderContext& context)
{
    if (context.window == nullptr) {
        return context.offscreen.size;
    }
#ifdef __EMSCRIPTEN__
    // The page's GLFW answers with the size its window was made at; frames
    // are drawn into the canvas's drawing buffer, which the page sizes to
    // its layout (src/web/page_canvas.h).
    FrameSize canvas;
    if (emscripten_get_canvas_element_size("#canvas", &canvas.width, &canvas.height) != EMSCRIPTEN_RESULT_SUCCESS) {
        return {0, 0};
    }
    return canvas;
#else
    if (glfwGetWindowAttrib(context.window, GLFW_ICONIFIED) != 0) {
        return {0, 0};
    }
    FrameSize size;
    glfwGetFramebufferSize(context.window, &size.width, &size.height);
    return size;
#endif
}

void waitForEvents(const RenderContext& context, double seconds)
{
#ifndef __EMSCRIPTEN__
    if (context.window != nullptr) {
        glfwWaitEventsTimeout(seconds);
    }
#else
    // The browser calls back once per animation frame and stops doing so for
    // a page nobody sees; there is nothing to wait for here.
    (void)context;
    (void)seconds;
#endif
    recordEventPoll();
}

void presentFrame(const RenderContext& context)
{
    if (context.window != nullptr) {
        glfwSwapBuffers(context.window);
    } else {
        // A pbuffer has nothing to swap; the flush hands the frame's commands
        // to the driver as a swap would, so frames do not pile up unsent.
        glFlush();
    }
}

std::string describeRenderContext(const RenderContext& context)
{
    if (context.window == nullptr) {
        return "offscreen, " + context.offscreen.platform + ", " + context.offscreen.renderer;
    }
    const GLubyte* renderer = glGetString(GL_RENDERER);
    return std::string("hidden window (") + kWindowSystem + "), " + (renderer != nullptr ? reinterpret_cast<const char*>(renderer) : "?");
}

void closeRenderContext(RenderContext& context)
{
    if (context.window != nullptr) {
        glfwTerminate();
        context.window = nullptr;
    } else {
        closeOffscreenContext(context.offscreen);
    }
}
