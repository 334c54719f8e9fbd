#include "render/screen_quad.h"

#include <cstddef>

GLuint screenQuadVertexArray = 0;
GLuint screenQuadVertexBuffer = 0;

namespace {

constexpr GLsizei kQuadVertexCount = 4;
constexpr GLsizei kQuadStride = 5 * sizeof(float);
constexpr std::size_t kQuadUvOffset = 3 * sizeof(float);

// Position (x, y, z) then texture coordinate (u, v). As a triangle strip both
// triangles are counter-clockwise, so they survive back-face culling.
constexpr float kQuadVertices[kQuadVertexCount * 5] = {
    -1.0f, 1.0f, 0.0f, 0.0f, 1.0f,
    -1.0f, -1.0f, 0.0f, 0.0f, 0.0f,
    1.0f, 1.0f, 0.0f, 1.0f, 1.0f,
    1.0f, -1.0f, 0.0f, 1.0f, 0.0f,
};

void createScreenQuad()
{
    glGenVertexArrays(1, &screenQuadVertexArray);
    glGenBuffers(1, &screenQuadVertexBuffer);
    glBindVertexArray(screenQuadVertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, screenQuadVertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(kQuadVertices), kQuadVertices, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kQuadStride, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, kQuadStride, reinterpret_cast<const void*>(kQuadUvOffset));
}

}  // namespace

void drawScreenQuad()
{
    if (screenQuadVertexArray == 0) {
        createScreenQuad();
    }
    glBindVertexArray(screenQuadVertexArray);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, kQuadVertexCount);
    glBindVertexArray(0);
}

void forgetScreenQuad()
{
    screenQuadVertexArray = 0;
    screenQuadVertexBuffer = 0;
}
