// A texture that a mesh binds: the GL name, the sampler uniform it feeds and
// the material path it was loaded from. Copies share the one GL texture.
#pragma once

#include <GL/glew.h>
#include <assimp/types.h>

#include <string>

struct MeshTexture {
    GLuint textureName = 0;
    // Used verbatim as the sampler uniform's name ("material.diffuse", ...).
    std::string samplerUniform;
    // Kept in the import library's own string form: the model's texture cache
    // compares it byte for byte with the paths that later materials give.
    aiString materialPath;
};
