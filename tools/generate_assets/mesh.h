// Triangle meshes as the generator builds them: vertices with position,
// normal and texture coordinate, gathered into parts that each use one
// material, and models that are a named list of parts (one OBJ file each).
#pragma once

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct MeshVertex {
    glm::dvec3 position;
    glm::dvec3 normal;
    glm::dvec2 uv;
};

struct MeshPart {
    std::string name;
    std::string material;
    std::vector<MeshVertex> vertices;
    std::vector<std::array<uint32_t, 3>> triangles;

    uint32_t addVertex(const MeshVertex& vertex);
    // Counter-clockwise as seen from the side meant to be visible.
    void addTriangle(uint32_t a, uint32_t b, uint32_t c);
    void addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    // Winds the triangle so that its face points along `outward`.
    void addTriangleFacing(uint32_t a, uint32_t b, uint32_t c, const glm::dvec3& outward);
};

struct MeshModel {
    std::string name;  // file stem: <name>.obj and <name>.mtl
    std::vector<MeshPart> parts;

    size_t triangleCount() const;
};

// Replaces every normal with the area-weighted mean of the faces around its
// position, so vertices that were split only for texture seams shade as one.
void smoothNormalsByPosition(MeshPart& part);

// Splits every triangle whose edge passes through a vertex of any part of
// the model, until none does, so that surfaces which meet share their edges
// vertex for vertex. A vertex in the middle of another triangle's edge (a
// T-junction) leaves a seam that rasterisers may not cover exactly: pixels
// along it show what lies behind, or the clear colour.
void removeTJunctions(MeshModel& model);
