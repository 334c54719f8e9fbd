// Pixels read back from a framebuffer as GL holds them: rows bottom first,
// tightly packed. Framebuffer 0 is read from its back buffer, where a frame
// stays until it is presented.
#pragma once

#include <GL/glew.h>

#include <array>
#include <vector>

// `format` is GL_RGB or GL_RGBA. Leaves framebuffer 0 bound.
std::vector<GLubyte> readPixels(GLuint framebuffer, GLenum format, GLint x, GLint y, GLsizei width, GLsizei height);

std::array<GLubyte, 4> readPixel(GLuint framebuffer, GLint x, GLint y);
