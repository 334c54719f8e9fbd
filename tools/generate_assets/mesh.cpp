// Mesh part bookkeeping, position-welded normal smoothing and the splitting
// of T-junctions.
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

// A point closer than this to an edge lies on it; one closer to an end is
// that end. Well below the precision the OBJ writer keeps, well above the
// rounding of the positions the shapes compute.
constexpr double kOnEdge = 1e-7;

// Where along the edge from `a` to `b` the point `p` lies, strictly between
// the ends; 0 where it is off the edge or at an end.
double insideEdge(const glm::dvec3& a, const glm::dvec3& b, const glm::dvec3& p) {
    const glm::dvec3 edge = b - a;
    const double along = glm::dot(p - a, edge) / glm::dot(edge, edge);
    const bool onLine = glm::length(a + edge * along - p) < kOnEdge;
    const bool betweenEnds = glm::length(p - a) > kOnEdge && glm::length(p - b) > kOnEdge;
    return onLine && betweenEnds && along > 0.0 && along < 1.0 ? along : 0.0;
}

// The vertex at `along` between `a` and `b`, placed exactly at `position`.
MeshVertex vertexOnEdge(const MeshVertex& a, const MeshVertex& b, double along, const glm::dvec3& position) {
    // Flat faces keep their normal to the bit.
    const glm::dvec3 normal =
        a.normal == b.normal ? a.normal : glm::normalize(a.normal + (b.normal - a.normal) * along);
    return {position, normal, a.uv + (b.uv - a.uv) * along};
}

// Splits `t` at the first of `points` that lies inside one of its edges, into
// two triangles wound as `t` was; returns false when no point does.
bool splitAtTJunction(MeshPart& part, const std::array<uint32_t, 3>& t, const std::vector<glm::dvec3>& points,
                      std::vector<std::array<uint32_t, 3>>& out) {
    for (int k = 0; k < 3; ++k) {
        const uint32_t from = t[k];
        const uint32_t to = t[(k + 1) % 3];
        const uint32_t opposite = t[(k + 2) % 3];
        for (const glm::dvec3& p : points) {
            const double along = insideEdge(part.vertices[from].position, part.vertices[to].position, p);
            if (along == 0.0) continue;
            const uint32_t middle = part.addVertex(vertexOnEdge(part.vertices[from], part.vertices[to], along, p));
            out.push_back({from, middle, opposite});
            out.push_back({middle, to, opposite});
            return true;
        }
    }
    return false;
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

void removeTJunctions(MeshModel& model) {
    // Every distinct vertex position of the model, in a fixed order so the
    // output is the same to the byte on every run.
    std::map<WeldKey, glm::dvec3> distinct;
    for (const MeshPart& part : model.parts) {
        for (const MeshVertex& v : part.vertices) distinct.emplace(weldKey(v.position), v.position);
    }
    std::vector<glm::dvec3> points;
    for (const auto& entry : distinct) points.push_back(entry.second);

    // A split point is already a model vertex, so splitting adds no new
    // points, and the halves are checked again until none has one inside.
    for (MeshPart& part : model.parts) {
        std::vector<std::array<uint32_t, 3>> pending(part.triangles.rbegin(), part.triangles.rend());
        std::vector<std::array<uint32_t, 3>> kept;
        while (!pending.empty()) {
            const std::array<uint32_t, 3> t = pending.back();
            pending.pop_back();
            std::vector<std::array<uint32_t, 3>> halves;
            if (splitAtTJunction(part, t, points, halves)) {
                pending.push_back(halves[1]);
                pending.push_back(halves[0]);
            } else {
                kept.push_back(t);
            }
        }
        part.triangles = kept;
    }
}
