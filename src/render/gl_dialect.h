// Where the GL in hand differs from the desktop's OpenGL 3.3 core: in the
// browser (WebGL2) there is no geometry stage, no layered attachment, no
// framebuffer extension, no BGRA upload and no unsized depth format. Every
// such choice is made here, so the passes read one name instead of asking
// which GL they run on.
#pragma once

#include <GL/glew.h>

#ifdef __EMSCRIPTEN__
// Whether a framebuffer can take a whole cube map as layers, which one draw
// through the geometry stage fills.
#define VORLUNE_GL_LAYERED_TARGETS 0
// Colour targets are made through the framebuffer extension where it is
// offered; WebGL2 has only the core calls.
#define VORLUNE_GL_FRAMEBUFFER_EXTENSION 0
// The client format a colour target's storage is declared with.
inline constexpr GLenum kColourTargetUploadFormat = GL_RGBA;
// WebGL2 takes float depth only in the sized 32-bit format.
inline constexpr GLenum kShadowDepthFormat = GL_DEPTH_COMPONENT32F;
#else
#define VORLUNE_GL_LAYERED_TARGETS 1
#define VORLUNE_GL_FRAMEBUFFER_EXTENSION 1
inline constexpr GLenum kColourTargetUploadFormat = GL_BGRA;
inline constexpr GLenum kShadowDepthFormat = GL_DEPTH_COMPONENT;
#endif
