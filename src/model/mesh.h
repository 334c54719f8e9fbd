// The GPU mesh: interleaved vertices and 32-bit indices uploaded once into
// buffers recorded by a vertex array, plus the textures its material names,
// bound on units 0 upward at every draw.
#pragma once

#include "model/mesh_texture.h"
#include "loading/work/shared_list.h"
#include "loading/work/vertex.h"
#include "render/shader_program.h"

#include <GL/glew.h>

#include <functional>
#include <utility>
#include <vector>

// Above this many bytes a buffer that is given steps to take between goes
// up in chunks (see uploadTexture2D's strips).
inline constexpr std::size_t kChunkedUploadBytes = std::size_t{16} << 20;

struct Mesh {
    // Shared by every copy of the mesh.
    SharedList<Vertex> vertices;
    SharedList<unsigned int> indices;
    // Entry i is bound on texture unit i.
    std::vector<MeshTexture> textures;
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLuint elementBuffer = 0;

    // Uploads at once, so a GL context must be current. Copies of a mesh
    // share its GL objects and its lists; none of them is ever deleted.
    // `betweenSteps`, when given, runs between the chunks of a buffer over
    // kChunkedUploadBytes (the window's event poll, while start-up loads).
    Mesh(SharedList<Vertex> vertices, SharedList<unsigned int> indices,
         std::vector<MeshTexture> textures, const std::function<void()>& betweenSteps = nullptr);
    Mesh(std::vector<Vertex> vertices, std::vector<unsigned int> indices, std::vector<MeshTexture> textures,
         const std::function<void()>& betweenSteps = nullptr)
        : Mesh(SharedList<Vertex>(std::move(vertices)), SharedList<unsigned int>(std::move(indices)),
               std::move(textures), betweenSteps)
    {
    }

    void upload(const std::function<void()>& betweenSteps = nullptr);
    // The caller has made `program` current; only its sampler uniforms are set.
    void draw(ShaderProgram program) const;
};
