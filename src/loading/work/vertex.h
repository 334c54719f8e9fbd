// One interleaved vertex as the mesh vertex buffer stores it. Shader inputs
// are bound by attribute location, so this layout is the contract with every
// mesh-layout shader: position 0, normal 1, uv 2, tangent 3, bitangent 4.
#pragma once

#include <glm/glm.hpp>

#include <cstddef>

struct Vertex {
    glm::vec3 position;
    glm::vec3 normal;
    glm::vec2 uv;
    glm::vec3 tangent;
    glm::vec3 bitangent;
};

// Attribute locations that mesh-layout shaders declare for these fields.
constexpr unsigned int kPositionLocation = 0;
constexpr unsigned int kNormalLocation = 1;
constexpr unsigned int kUvLocation = 2;
constexpr unsigned int kTangentLocation = 3;
constexpr unsigned int kBitangentLocation = 4;

// Fourteen floats with no padding; the attribute offsets below depend on it.
constexpr std::size_t kVertexStride = 56;
static_assert(sizeof(Vertex) == kVertexStride, "Vertex must pack into 56 bytes");
static_assert(offsetof(Vertex, normal) == 12 && offsetof(Vertex, uv) == 24 &&
                  offsetof(Vertex, tangent) == 32 && offsetof(Vertex, bitangent) == 44,
              "Vertex fields must sit where the attribute pointers expect them");
