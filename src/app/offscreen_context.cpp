#include "app/offscreen_context.h"

#include <iostream>

const char* const kEglDevicePlatform = "EGL device platform";
const char* const kEglSurfacelessPlatform = "EGL Mesa surfaceless platform";

// VORLUNE_HAVE_EGL comes from the build where EGL was found (not on Windows).
#ifdef VORLUNE_HAVE_EGL

#include "app/startup.h"

#include <GL/glew.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr EGLint kContextMajor = 3;
constexpr EGLint kContextMinor = 3;

// The window's default framebuffer as the window system makes it: 8 bits per
// colour channel with alpha, a 24-bit depth and an 8-bit stencil buffer, no
// multisampling. The lighting pass depth-tests against it, so the pbuffer
// matches it exactly rather than taking the deepest configuration EGL offers.
constexpr EGLint kColourBits = 8;
constexpr EGLint kDepthBits = 24;
constexpr EGLint kStencilBits = 8;

bool hasExtension(const char* list, const char* name)
{
    if (list == nullptr) {
        return false;
    }
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at != nullptr; at = std::strstr(at + length, name)) {
        const bool wordStart = at == list || at[-1] == ' ';
        const bool wordEnd = at[length] == ' ' || at[length] == '\0';
        if (wordStart && wordEnd) {
            return true;
        }
    }
    return false;
}

template <typename F>
F eglEntry(const char* name)
{
    return reinterpret_cast<F>(eglGetProcAddress(name));
}

std::string eglFailure(const char* call)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%s failed (0x%04X)", call, static_cast<unsigned>(eglGetError()));
    return text;
}

bool configAttribute(EGLDisplay display, EGLConfig config, EGLint attribute, EGLint expected)
{
    EGLint value = -1;
    return eglGetConfigAttrib(display, config, attribute, &value) == EGL_TRUE && value == expected;
}

// The first pbuffer configuration with exactly the window's buffer sizes.
bool chooseWindowLikeConfig(EGLDisplay display, EGLConfig& chosen)
{
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                             EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                             EGL_RED_SIZE, kColourBits,
                             EGL_GREEN_SIZE, kColourBits,
                             EGL_BLUE_SIZE, kColourBits,
                             EGL_ALPHA_SIZE, kColourBits,
                             EGL_DEPTH_SIZE, kDepthBits,
                             EGL_STENCIL_SIZE, kStencilBits,
                             EGL_NONE};
    EGLint count = 0;
    if (eglChooseConfig(display, wanted, nullptr, 0, &count) != EGL_TRUE || count <= 0) {
        return false;
    }
    std::vector<EGLConfig> configs(static_cast<size_t>(count));
    eglChooseConfig(display, wanted, configs.data(), count, &count);
    for (EGLint i = 0; i < count; ++i) {
        const EGLConfig config = configs[static_cast<size_t>(i)];
        if (configAttribute(display, config, EGL_RED_SIZE, kColourBits)
            && configAttribute(display, config, EGL_GREEN_SIZE, kColourBits)
            && configAttribute(display, config, EGL_BLUE_SIZE, kColourBits)
            && configAttribute(display, config, EGL_ALPHA_SIZE, kColourBits)
            && configAttribute(display, config, EGL_DEPTH_SIZE, kDepthBits)
            && configAttribute(display, config, EGL_STENCIL_SIZE, kStencilBits)
            && configAttribute(display, config, EGL_SAMPLE_BUFFERS, 0)) {
            chosen = config;
            return true;
        }
    }
    return false;
}

void release(OffscreenContext& offscreen)
{
    if (offscreen.display == nullptr) {
        return;
    }
    eglMakeCurrent(offscreen.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (offscreen.context != nullptr) {
        eglDestroyContext(offscreen.display, offscreen.context);
    }
    if (offscreen.surface != nullptr) {
        eglDestroySurface(offscreen.display, offscreen.surface);
    }
    eglTerminate(offscreen.display);
    eglReleaseThread();
    // The size is what was asked for, for the next platform to try too.
    const FrameSize size = offscreen.size;
    offscreen = OffscreenContext();
    offscreen.size = size;
}

// Brings up a 3.3 core context on a pbuffer of the size asked for on one EGL
// display and makes it current. Returns what failed, or nothing.
std::string makeContextOn(EGLDisplay display, const std::string& platform, OffscreenContext& offscreen)
{
    if (display == EGL_NO_DISPLAY) {
        return eglFailure("eglGetPlatformDisplay");
    }
    if (eglInitialize(display, nullptr, nullptr) != EGL_TRUE) {
        return eglFailure("eglInitialize");
    }
    offscreen.display = display;
    offscreen.platform = platform;
    EGLConfig config = nullptr;
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        const std::string failure = eglFailure("eglBindAPI(OpenGL)");
        release(offscreen);
        return failure;
    }
    if (!chooseWindowLikeConfig(display, config)) {
        release(offscreen);
        return "no pbuffer configuration with RGBA8, depth 24 and stencil 8";
    }
    // The size is named when it fails, rather than checked against the
    // limits EGL states, which are not to be trusted: Mesa's llvmpipe states
    // 4096 on a side and makes 8192.
    const EGLint surfaceSize[] = {EGL_WIDTH, offscreen.size.width, EGL_HEIGHT, offscreen.size.height, EGL_NONE};
    offscreen.surface = eglCreatePbufferSurface(display, config, surfaceSize);
    if (offscreen.surface == EGL_NO_SURFACE) {
        const std::string failure = eglFailure(("eglCreatePbufferSurface(" + std::to_string(offscreen.size.width) + "x"
                                                 + std::to_string(offscreen.size.height) + ")").c_str());
        release(offscreen);
        return failure;
    }
    const EGLint contextVersion[] = {EGL_CONTEXT_MAJOR_VERSION_KHR, kContextMajor,
                                     EGL_CONTEXT_MINOR_VERSION_KHR, kContextMinor,
                                     EGL_CONTEXT_OPENGL_PROFILE_MASK_KHR, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT_KHR,
                                     EGL_NONE};
    offscreen.context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextVersion);
    if (offscreen.context == EGL_NO_CONTEXT) {
        const std::string failure = eglFailure("eglCreateContext(3.3 core)");
        release(offscreen);
        return failure;
    }
    if (eglMakeCurrent(display, offscreen.surface, offscreen.surface, offscreen.context) != EGL_TRUE) {
        const std::string failure = eglFailure("eglMakeCurrent");
        release(offscreen);
        return failure;
    }
    return "";
}

// The devices that are GPUs: Mesa lists its software renderer as a device
// too, and that one is better reached through the surfaceless platform.
std::vector<EGLDeviceEXT> gpuDevices(const char* clientExtensions)
{
    std::vector<EGLDeviceEXT> gpus;
    const auto queryDevices = eglEntry<PFNEGLQUERYDEVICESEXTPROC>("eglQueryDevicesEXT");
    const auto queryDeviceString = eglEntry<PFNEGLQUERYDEVICESTRINGEXTPROC>("eglQueryDeviceStringEXT");
    if (!hasExtension(clientExtensions, "EGL_EXT_device_enumeration") || queryDevices == nullptr
        || queryDeviceString == nullptr) {
        return gpus;
    }
    EGLint count = 0;
    if (queryDevices(0, nullptr, &count) != EGL_TRUE || count <= 0) {
        return gpus;
    }
    std::vector<EGLDeviceEXT> devices(static_cast<size_t>(count));
    queryDevices(count, devices.data(), &count);
    devices.resize(static_cast<size_t>(count));
    for (EGLDeviceEXT device : devices) {
        if (!hasExtension(queryDeviceString(device, EGL_EXTENSIONS), "EGL_MESA_device_software")) {
            gpus.push_back(device);
        }
    }
    return gpus;
}

// Tries the platforms in order of preference. Returns what each one said
// when none gave a context, or nothing.
std::string makeContextOnFirstPlatform(OffscreenContext& offscreen)
{
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    const auto getPlatformDisplay = eglEntry<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    if (!hasExtension(clientExtensions, "EGL_EXT_platform_base") || getPlatformDisplay == nullptr) {
        return "EGL offers no platforms; is a vendor library such as Mesa's libEGL_mesa installed?";
    }
    // A GPU renders far faster than a software renderer, so a GPU's device
    // platform comes first.
    std::string deviceFailure = "no GPU device";
    if (hasExtension(clientExtensions, "EGL_EXT_platform_device")) {
        for (EGLDeviceEXT device : gpuDevices(clientExtensions)) {
            deviceFailure = makeContextOn(getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, device, nullptr),
                                          kEglDevicePlatform, offscreen);
            if (deviceFailure.empty()) {
                return "";
            }
        }
    }
    std::string surfacelessFailure = "not offered";
    if (hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        surfacelessFailure = makeContextOn(getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr),
                                           kEglSurfacelessPlatform, offscreen);
        if (surfacelessFailure.empty()) {
            return "";
        }
    }
    return std::string(kEglDevicePlatform) + ": " + deviceFailure + "; " + kEglSurfacelessPlatform + ": "
         + surfacelessFailure;
}

}  // namespace

bool openOffscreenContext(OffscreenContext& offscreen)
{
    // Everything but the size asked for is found out here.
    const FrameSize size = offscreen.size;
    offscreen = OffscreenContext();
    offscreen.size = size;
    std::string failure = makeContextOnFirstPlatform(offscreen);
    if (failure.empty() && loadGlEntryPoints() != GLEW_OK) {
        failure = offscreen.platform + ": the OpenGL entry points could not be loaded (glewInit failed)";
        release(offscreen);
    }
    if (!failure.empty()) {
        std::cout << "Vorlune cannot start: no offscreen OpenGL 3.3 core context: " << failure << std::endl;
        return false;
    }
    const GLubyte* renderer = glGetString(GL_RENDERER);
    offscreen.renderer = renderer != nullptr ? reinterpret_cast<const char*>(renderer) : "?";
    return true;
}

void makeOffscreenContextCurrent(const OffscreenContext& offscreen)
{
    eglMakeCurrent(offscreen.display, offscreen.surface, offscreen.surface, offscreen.context);
}

void closeOffscreenContext(OffscreenContext& offscreen)
{
    release(offscreen);
}

#else

// Without EGL (Windows) a context needs a window, so the failure line says
// what to do instead.
bool openOffscreenContext(OffscreenContext& offscreen)
{
    offscreen = OffscreenContext();
    std::cout << "Vorlune cannot start: no offscreen OpenGL 3.3 core context: this build has no EGL; "
                 "start it where there is a display"
              << std::endl;
    return false;
}

void makeOffscreenContextCurrent(const OffscreenContext&) {}

void closeOffscreenContext(OffscreenContext& offscreen)
{
    offscreen = OffscreenContext();
}

#endif
