// The GPU mesh: interleaved vertices and 32-bit indices uploaded once into
// buffers recorded by a vertex array, plus the textures its material names,
// bound on units 0 upward at every draw.
#pragma once

#include "model/mesh_texture.h"
#include "model/vertex.h"
#include "render/shader_program.h"

#include <GL/glew.h>

#include <vector>

struct Mesh {
    std::vector<Vertex> vertices;
    std::vector<unsigned int> indices;
    // Entry i is bound on texture unit i.
    std::vector<MeshTexture> textures;
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLuint elementBuffer = 0;

    // Uploads at once, so a GL context must be current. Copies of a mesh
    // share its GL objects; none of them is ever deleted.
    Mesh(std::vector<Vertex> vertices, std::vector<unsigned int> indices,
         std::vector<MeshTexture> textures);

    void upload();
    // The caller has made `program` current; only its sampler uniforms are set.
    void draw(ShaderProgram program) const;
};
