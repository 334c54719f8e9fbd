#include "support/framebuffer_pixels.h"

std::vector<GLubyte> readPixels(GLuint framebuffer, GLenum format, GLint x, GLint y, GLsizei width, GLsizei height)
{
    const std::size_t channels = format == GL_RGB ? 3 : 4;
    std::vector<GLubyte> pixels(static_cast<std::size_t>(width) * height * channels);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    if (framebuffer == 0) {
        glReadBuffer(GL_BACK);
    }
    // Rows of RGB pixels are not four-byte multiples at every width.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, format, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return pixels;
}

std::array<GLubyte, 4> readPixel(GLuint framebuffer, GLint x, GLint y)
{
    const std::vector<GLubyte> pixel = readPixels(framebuffer, GL_RGBA, x, y, 1, 1);
    return {pixel[0], pixel[1], pixel[2], pixel[3]};
}
