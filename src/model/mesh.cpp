// Mesh upload and draw. The attribute table is the mesh layout every
// mesh-layout shader declares; texture bindings are set before and cleared
// after each draw so no mesh's textures leak into the next one.
#include "model/mesh.h"

#include "render/uniforms.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace {

struct VertexAttribute {
    GLuint location;
    GLint components;
    std::size_t offset;
};

constexpr GLint kVec3 = 3;
constexpr GLint kVec2 = 2;

const std::array<VertexAttribute, 5> kVertexAttributes = {{
    {kPositionLocation, kVec3, offsetof(Vertex, position)},
    {kNormalLocation, kVec3, offsetof(Vertex, normal)},
    {kUvLocation, kVec2, offsetof(Vertex, uv)},
    {kTangentLocation, kVec3, offsetof(Vertex, tangent)},
    {kBitangentLocation, kVec3, offsetof(Vertex, bitangent)},
}};

constexpr std::size_t kStartOfBuffer = 0;
// About 10 ms of copying into the driver on llvmpipe.
constexpr std::size_t kChunkBytes = std::size_t{8} << 20;

// GL takes byte offsets into the bound buffer through its pointer arguments.
const void* bufferOffset(std::size_t bytes)
{
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(bytes));
}

// Fills the buffer bound to `target` with `bytes`: in one call, or in
// chunks with `betweenSteps` after each when it is given and there is much.
void fillBuffer(GLenum target, const void* data, std::size_t bytes, const std::function<void()>& betweenSteps)
{
    if (!betweenSteps || bytes <= kChunkedUploadBytes) {
        glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
        return;
    }
    glBufferData(target, static_cast<GLsizeiptr>(bytes), nullptr, GL_STATIC_DRAW);
    const auto* from = static_cast<const unsigned char*>(data);
    for (std::size_t at = 0; at < bytes; at += kChunkBytes) {
        const std::size_t chunk = std::min(kChunkBytes, bytes - at);
        glBufferSubData(target, static_cast<GLintptr>(at), static_cast<GLsizeiptr>(chunk), from + at);
        betweenSteps();
    }
}

}  // namespace

Mesh::Mesh(SharedList<Vertex> vertices, SharedList<unsigned int> indices,
           std::vector<MeshTexture> textures, const std::function<void()>& betweenSteps)
    : vertices(std::move(vertices)), indices(std::move(indices)), textures(std::move(textures))
{
    upload(betweenSteps);
}

void Mesh::upload(const std::function<void()>& betweenSteps)
{
    glGenVertexArrays(1, &vertexArray);
    glGenBuffers(1, &vertexBuffer);
    glGenBuffers(1, &elementBuffer);

    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    fillBuffer(GL_ARRAY_BUFFER, vertices.data(), vertices.size() * sizeof(Vertex), betweenSteps);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, elementBuffer);
    fillBuffer(GL_ELEMENT_ARRAY_BUFFER, indices.data(), indices.size() * sizeof(unsigned int), betweenSteps);

    for (const VertexAttribute& attribute : kVertexAttributes) {
        glEnableVertexAttribArray(attribute.location);
        glVertexAttribPointer(attribute.location, attribute.components, GL_FLOAT, GL_FALSE,
                              static_cast<GLsizei>(kVertexStride), bufferOffset(attribute.offset));
    }
    // The element buffer binding stays recorded in the vertex array.
    glBindVertexArray(0);
}

void Mesh::draw(ShaderProgram program) const
{
    for (std::size_t unit = 0; unit < textures.size(); ++unit) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        setUniformInt(program.program, textures[unit].samplerUniform, static_cast<GLint>(unit));
        glBindTexture(GL_TEXTURE_2D, textures[unit].textureName);
    }

    glBindVertexArray(vertexArray);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT,
                   bufferOffset(kStartOfBuffer));
    glBindVertexArray(0);

    // The active unit is left on the last one on purpose: passes that keep
    // their own textures on higher units select those units themselves.
    for (std::size_t unit = 0; unit < textures.size(); ++unit) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}
