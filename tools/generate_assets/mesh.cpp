// Mesh part bookkeeping and position-welded normal smoothing.
#include "mesh.h"

#include <glm/geometric.hpp>

#include <cmath>
#include <map>
#include <tuple>

namespace {

// Positions closer than this are the same point when normals are welded;
// well below the precision the OBJ writer keeps.
constexpr double kWeldStep = 1e-7;

using WeldKey = std::tuple<long long, long long, long long>;

WeldKey weldKey(const glm::dvec3& p) {
    return {std::llround(p.x / kWeldStep), std::llround(p.y / kWeldStep), std::llround(p.z / kWeldStep)};
}

}  // namespace

uint32_t MeshPart::addVertex(const MeshVertex& vertex) {
    vertices.push_back(vertex);
    return static_cast<uint32_t>(vertices.size() - 1);
}

void MeshPart::addTriangle(uint32_t a, uint32_t b, uint32_t c) { triangles.push_back({a, b, c}); }

void MeshPart::addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    addTriangle(a, b, c);
    addTriangle(a, c, d);
}

void MeshPart::addTriangleFacing(uint32_t a, uint32_t b, uint32_t c, const glm::dvec3& outward) {
    const glm::dvec3 face = glm::cross(vertices[b].position - vertices[a].position,
                                       vertices[c].position - vertices[a].position);
    if (glm::dot(face, outward) >= 0.0) {
        addTriangle(a, b, c);
    } else {
        addTriangle(a, c, b);
    }
}

size_t MeshModel::triangleCount() const {
    size_t count = 0;
    for (const MeshPart& part : parts) count += part.triangles.size();
    return count;
}

void smoothNormalsByPosition(MeshPart& part) {
    std::map<WeldKey, glm::dvec3> sums;
    for (const auto& t : part.triangles) {
        const glm::dvec3& a = part.vertices[t[0]].position;
        const glm::dvec3 face = glm::cross(part.vertices[t[1]].position - a, part.vertices[t[2]].position - a);
        for (uint32_t index : t) sums[weldKey(part.vertices[index].position)] += face;
    }
    for (MeshVertex& v : part.vertices) {
        const auto found = sums.find(weldKey(v.position));
        if (found != sums.end() && glm::length(found->second) > 0.0) v.normal = glm::normalize(found->second);
    }
}
