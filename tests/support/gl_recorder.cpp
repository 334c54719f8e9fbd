#include "support/gl_recorder.h"

#ifdef _WIN32

// A Windows program reaches GL 1.1 through opengl32.dll's imports, which a
// definition in the program cannot stand in front of; the tests that record
// skip there (support/platform_skips.h), so nothing is ever recorded.
void startGLRecording() {}
std::vector<std::string> stopGLRecording() { return {}; }

#else

#include <GL/glew.h>

#include <dlfcn.h>

#include <cstdio>

namespace {

bool recording = false;
std::vector<std::string> calls;

PFNGLBINDFRAMEBUFFERPROC realBindFramebuffer = nullptr;
PFNGLUSEPROGRAMPROC realUseProgram = nullptr;

template <typename F>
F driverEntry(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void record(const std::string& call)
{
    if (recording) {
        calls.push_back(call);
    }
}

std::string capName(GLenum cap)
{
    switch (cap) {
    case GL_DEPTH_TEST: return "DEPTH_TEST";
    case GL_CULL_FACE: return "CULL_FACE";
    case GL_BLEND: return "BLEND";
    default: return std::to_string(cap);
    }
}

std::string faceName(GLenum face)
{
    switch (face) {
    case GL_FRONT: return "FRONT";
    case GL_BACK: return "BACK";
    default: return std::to_string(face);
    }
}

std::string maskName(GLbitfield mask)
{
    std::string name;
    if (mask & GL_COLOR_BUFFER_BIT) {
        name += "COLOR";
    }
    if (mask & GL_DEPTH_BUFFER_BIT) {
        name += name.empty() ? "DEPTH" : "|DEPTH";
    }
    if (mask & GL_STENCIL_BUFFER_BIT) {
        name += name.empty() ? "STENCIL" : "|STENCIL";
    }
    return name;
}

void GLAPIENTRY recordingBindFramebuffer(GLenum target, GLuint framebuffer)
{
    record("bindFramebuffer " + std::to_string(framebuffer));
    realBindFramebuffer(target, framebuffer);
}

void GLAPIENTRY recordingUseProgram(GLuint program)
{
    record("useProgram " + std::to_string(program));
    realUseProgram(program);
}

}  // namespace

// Interposed GL 1.1 entry points: the executable's own definitions win over
// libGL's, so every call from the library lands here first.
extern "C" {

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    record("viewport " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) + " "
           + std::to_string(height));
    static auto real = driverEntry<void (*)(GLint, GLint, GLsizei, GLsizei)>("glViewport");
    real(x, y, width, height);
}

void glEnable(GLenum cap)
{
    record("enable " + capName(cap));
    static auto real = driverEntry<void (*)(GLenum)>("glEnable");
    real(cap);
}

void glDisable(GLenum cap)
{
    record("disable " + capName(cap));
    static auto real = driverEntry<void (*)(GLenum)>("glDisable");
    real(cap);
}

void glCullFace(GLenum face)
{
    record("cullFace " + faceName(face));
    static auto real = driverEntry<void (*)(GLenum)>("glCullFace");
    real(face);
}

void glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    char text[96];
    std::snprintf(text, sizeof(text), "clearColor %.2f %.2f %.2f %.2f", r, g, b, a);
    record(text);
    static auto real = driverEntry<void (*)(GLfloat, GLfloat, GLfloat, GLfloat)>("glClearColor");
    real(r, g, b, a);
}

void glClear(GLbitfield mask)
{
    record("clear " + maskName(mask));
    static auto real = driverEntry<void (*)(GLbitfield)>("glClear");
    real(mask);
}

}  // extern "C"

void startGLRecording()
{
    if (realBindFramebuffer == nullptr) {
        realBindFramebuffer = glBindFramebuffer;
        realUseProgram = glUseProgram;
        __glewBindFramebuffer = recordingBindFramebuffer;
        __glewUseProgram = recordingUseProgram;
    }
    calls.clear();
    recording = true;
}

std::vector<std::string> stopGLRecording()
{
    recording = false;
    return calls;
}

#endif
