// An OpenGL 3.3 core context without a window, for machines with no display
// server: EGL on a GPU's device platform when there is one, else Mesa's
// surfaceless platform. A pbuffer of the size asked for (1280x720 unless a
// tool asks for another), configured like the window's default framebuffer
// (RGBA8, depth 24, stencil 8), serves as framebuffer 0, so the lighting
// pass draws into it exactly as into the window.
#pragma once

#include "common/frame_size.h"

#include <string>

// The platforms it can run on, as OffscreenContext::platform names them.
extern const char* const kEglDevicePlatform;
extern const char* const kEglSurfacelessPlatform;

struct OffscreenContext {
    // EGLDisplay, EGLSurface and EGLContext, held opaque so that users need
    // not see EGL's headers.
    void* display = nullptr;
    void* surface = nullptr;
    void* context = nullptr;
    FrameSize size;        // of its pbuffer: set before it is opened
    std::string platform;  // the EGL platform it runs on, for the reports
    std::string renderer;  // GL_RENDERER
};

// Makes the context, makes it current and loads the GL entry points through
// GLEW. On failure prints one line naming what was tried and returns false,
// with nothing left open.
bool openOffscreenContext(OffscreenContext& offscreen);

void makeOffscreenContextCurrent(const OffscreenContext& offscreen);

// Releases the context, its surface and the EGL display.
void closeOffscreenContext(OffscreenContext& offscreen);
