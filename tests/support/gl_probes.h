// Helpers the model GL tests share: fixture images, a probe shader program
// that declares "model" and all four material samplers, and read-backs of
// what GL actually holds (texels, sampler values, bindings).
#pragma once

#include "model/mesh.h"
#include "render/shader_program.h"
#include "render/uniforms.h"
#include "support/temp_dir.h"

#include <GL/glew.h>
#include <stb_image_write.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace probes {

constexpr int kRgbChannels = 3;
constexpr GLint kTightRowAlignment = 1;
constexpr GLint kBaseLevel = 0;
constexpr GLint kDefaultUnpackAlignment = 4;
constexpr GLsizei kProbeSize = 1;

inline void writePng(const std::string& path, int width, int height, int channels,
                     const std::vector<unsigned char>& pixels)
{
    stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels);
}

constexpr int kSolidSize = 1;

// A one-colour RGB image, enough to tell textures apart by their texels.
inline void writeSolidPng(const std::string& path, unsigned char r, unsigned char g,
                          unsigned char b)
{
    writePng(path, kSolidSize, kSolidSize, kRgbChannels, {r, g, b});
}

// A 1x1 texture made directly, so mesh tests do not depend on the loader.
inline GLuint solidTexture(unsigned char r, unsigned char g, unsigned char b)
{
    const unsigned char texel[kRgbChannels] = {r, g, b};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, kTightRowAlignment);
    glTexImage2D(GL_TEXTURE_2D, kBaseLevel, GL_RGB, kSolidSize, kSolidSize, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, texel);
    glPixelStorei(GL_UNPACK_ALIGNMENT, kDefaultUnpackAlignment);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// `fragmentColour` is a GLSL expression over `uv` and the struct `material`.
inline ShaderProgram buildProbeProgram(const TempDir& dir, const std::string& fragmentColour)
{
    dir.write("probe.vs",
              "#version 330 core\n"
              "layout (location = 0) in vec3 position;\n"
              "layout (location = 2) in vec2 texCoord;\n"
              "uniform mat4 model;\n"
              "out vec2 uv;\n"
              "void main() { uv = texCoord; gl_Position = model * vec4(position, 1.0); }\n");
    dir.write("probe.fs",
              "#version 330 core\n"
              "struct Material { sampler2D diffuse; sampler2D specular;"
              " sampler2D normal; sampler2D height; };\n"
              "uniform Material material;\n"
              "in vec2 uv;\n"
              "out vec4 colour;\n"
              "void main() { colour = " + fragmentColour + "; }\n");
    const std::string vs = dir.file("probe.vs");
    const std::string fs = dir.file("probe.fs");
    return ShaderProgram(ShaderFiles{vs.c_str(), nullptr, fs.c_str()});
}

// Reads every sampler so none is optimised away.
inline ShaderProgram buildAllSamplersProgram(const TempDir& dir)
{
    return buildProbeProgram(dir,
                             "texture(material.diffuse, uv) + texture(material.specular, uv)"
                             " + texture(material.normal, uv) + texture(material.height, uv)");
}

inline GLint integerState(GLenum what)
{
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

// The GL_TEXTURE_2D binding of `unit`; the active unit is left as found.
inline GLint boundTexture2D(GLenum unit)
{
    const GLint active = integerState(GL_ACTIVE_TEXTURE);
    glActiveTexture(unit);
    const GLint bound = integerState(GL_TEXTURE_BINDING_2D);
    glActiveTexture(static_cast<GLenum>(active));
    return bound;
}

inline GLint levelParameter(GLuint texture, GLenum what)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, kBaseLevel, what, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

// Level 0 of `texture` as tightly packed RGB rows.
inline std::vector<unsigned char> readTexels(GLuint texture)
{
    const GLint width = levelParameter(texture, GL_TEXTURE_WIDTH);
    const GLint height = levelParameter(texture, GL_TEXTURE_HEIGHT);
    std::vector<unsigned char> texels(static_cast<std::size_t>(width * height * kRgbChannels));
    const GLint previousAlignment = integerState(GL_PACK_ALIGNMENT);
    glPixelStorei(GL_PACK_ALIGNMENT, kTightRowAlignment);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, kBaseLevel, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, previousAlignment);
    return texels;
}

// A triangle that covers the whole viewport, sampling the texture centre.
inline Mesh screenCoveringMesh(std::vector<MeshTexture> textures)
{
    const glm::vec2 centre(0.5f);
    std::vector<Vertex> vertices = {
        {glm::vec3(-1.0f, -1.0f, 0.0f), glm::vec3(0.0f), centre, glm::vec3(0.0f), glm::vec3(0.0f)},
        {glm::vec3(3.0f, -1.0f, 0.0f), glm::vec3(0.0f), centre, glm::vec3(0.0f), glm::vec3(0.0f)},
        {glm::vec3(-1.0f, 3.0f, 0.0f), glm::vec3(0.0f), centre, glm::vec3(0.0f), glm::vec3(0.0f)},
    };
    return Mesh(vertices, {0, 1, 2}, std::move(textures));
}

// Draws `mesh` with `program` into a 1x1 off-screen target and returns the
// RGBA pixel; the caller's framebuffer, viewport and program are restored.
inline std::array<unsigned char, 4> drawToPixel(const Mesh& mesh, ShaderProgram program)
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const GLint previousFramebuffer = integerState(GL_DRAW_FRAMEBUFFER_BINDING);
    const GLint previousProgram = integerState(GL_CURRENT_PROGRAM);
    const GLboolean depthTested = glIsEnabled(GL_DEPTH_TEST);
    const GLboolean culled = glIsEnabled(GL_CULL_FACE);

    GLuint framebuffer = 0;
    GLuint colour = 0;
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kProbeSize, kProbeSize);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glViewport(0, 0, kProbeSize, kProbeSize);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    glUseProgram(program.program);
    setUniformMat4(program.program, "model", glm::mat4(1.0f));
    mesh.draw(program);
    std::array<unsigned char, 4> pixel = {};
    glReadPixels(0, 0, kProbeSize, kProbeSize, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());

    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer));
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &colour);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glUseProgram(static_cast<GLuint>(previousProgram));
    if (depthTested) {
        glEnable(GL_DEPTH_TEST);
    }
    if (culled) {
        glEnable(GL_CULL_FACE);
    }
    return pixel;
}

}  // namespace probes
