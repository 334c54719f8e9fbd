// A texture that a mesh binds: the GL name, the sampler uniform it feeds and
// the material path it was loaded from. Copies share the one GL texture.
#pragma once

#include <GL/glew.h>
#include <string>

struct MeshTexture {
    GLuint textureName = 0;
    // Used verbatim as the sampler uniform's name ("material.diffuse", ...).
    std::string samplerUniform;
    // As the material gives it, every byte: the model's texture cache
    // compares it with the paths that later materials give. An ordinary
    // string, not the import library's 1 KiB fixed buffer, as a model may
    // hold tens of thousands of these.
    std::string materialPath;
};
