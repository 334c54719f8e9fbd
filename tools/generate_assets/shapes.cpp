// Rectangle grids, lathes and swept tubes. Ring positions are computed once
// and reused for the closing seam, so shared edges match to the bit and the
// solids come out closed.
#include "shapes.h"

#include "angles.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// An end of a lathe profile closer than this to the axis is on it, and its
// triangles become a fan instead of degenerate quads.
constexpr double kOnAxis = 1e-9;
constexpr double kHalf = 0.5;

// Unit direction of lathe angle `angle`; positive angles turn +X towards -Z,
// the same sense as the viewer's model rotation.
glm::dvec3 latheDirection(double angle) { return {std::cos(angle), 0.0, -std::sin(angle)}; }

glm::dvec3 latheNormal(const glm::dvec2& n, const glm::dvec3& direction) {
    return glm::normalize(direction * n.x + glm::dvec3(0.0, n.y, 0.0));
}

}  // namespace

void addRectangle(MeshPart& part, const Rectangle& r) {
    const double width = glm::length(r.across);
    const double height = glm::length(r.up);
    const int columns = std::max(1, static_cast<int>(std::ceil(width / r.maxCell - kOnAxis)));
    const int rows = std::max(1, static_cast<int>(std::ceil(height / r.maxCell - kOnAxis)));
    const glm::dvec3 normal = glm::normalize(glm::cross(r.across, r.up));
    const uint32_t first = static_cast<uint32_t>(part.vertices.size());
    for (int row = 0; row <= rows; ++row) {
        for (int column = 0; column <= columns; ++column) {
            const double s = static_cast<double>(column) / columns;
            const double t = static_cast<double>(row) / rows;
            part.addVertex({r.origin + r.across * s + r.up * t, normal,
                            r.uvOrigin + glm::dvec2(s * width / r.tileSize.x, t * height / r.tileSize.y)});
        }
    }
    const uint32_t stride = static_cast<uint32_t>(columns + 1);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const uint32_t a = first + static_cast<uint32_t>(row) * stride + static_cast<uint32_t>(column);
            part.addQuad(a, a + 1, a + 1 + stride, a + stride);
        }
    }
}

ProfileRun straightRun(const glm::dvec2& from, const glm::dvec2& to, int steps) {
    const glm::dvec2 along = glm::normalize(to - from);
    const glm::dvec2 outward(along.y, -along.x);  // right of travel: outside a CCW loop
    ProfileRun run;
    for (int i = 0; i <= steps; ++i) {
        run.push_back({i == steps ? to : from + (to - from) * (static_cast<double>(i) / steps), outward});
    }
    return run;
}

ProfileRun arcRun(const glm::dvec2& centre, double radius, double fromAngle, double toAngle, int steps) {
    ProfileRun run;
    for (int i = 0; i <= steps; ++i) {
        const double a = fromAngle + (toAngle - fromAngle) * i / steps;
        const glm::dvec2 direction(std::cos(a), std::sin(a));
        run.push_back({centre + direction * radius, direction});
    }
    return run;
}

Lathe fullTurnLathe(std::vector<ProfileRun> runs, int segments, double vTile) {
    Lathe lathe;
    lathe.runs = std::move(runs);
    lathe.segments = segments;
    lathe.vTile = vTile;
    return lathe;
}

double addLathe(MeshPart& part, const Lathe& lathe) {
    const bool fullTurn = lathe.sweepFrom == lathe.sweepTo;
    const double sweepFrom = fullTurn ? 0.0 : lathe.sweepFrom;
    const double sweep = fullTurn ? angle::kFullTurn : lathe.sweepTo - lathe.sweepFrom;
    const int segments = std::max(1, static_cast<int>(std::lround(lathe.segments * sweep / angle::kFullTurn)));

    // Directions are computed once; a full turn reuses the first for its last
    // column so the seam closes exactly.
    std::vector<glm::dvec3> directions;
    std::vector<double> us;
    for (int j = 0; j <= segments; ++j) {
        const bool seam = fullTurn && j == segments;
        directions.push_back(latheDirection(seam ? sweepFrom : sweepFrom + sweep * j / segments));
        us.push_back((sweepFrom + sweep * j / segments) / angle::kFullTurn * lathe.uRepeats);
    }

    double v = lathe.vOrigin;
    for (const ProfileRun& run : lathe.runs) {
        for (size_t i = 0; i + 1 < run.size(); ++i) {
            const ProfilePoint& low = run[i];
            const ProfilePoint& high = run[i + 1];
            const double vLow = v;
            const double vHigh = v + glm::length(high.at - low.at) / lathe.vTile;
            v = vHigh;
            const bool lowOnAxis = low.at.x < kOnAxis;
            const bool highOnAxis = high.at.x < kOnAxis;
            for (int j = 0; j < segments; ++j) {
                const glm::dvec3& d0 = directions[j];
                const glm::dvec3& d1 = directions[j + 1];
                const double uMid = (us[j] + us[j + 1]) * kHalf;
                auto vertex = [&](const ProfilePoint& p, const glm::dvec3& d, double u, double vv) {
                    const glm::dvec3 position = d * p.at.x + glm::dvec3(0.0, p.at.y, 0.0);
                    return part.addVertex({position, latheNormal(p.normal, d), {u, vv}});
                };
                if (lowOnAxis) {
                    const uint32_t pole = vertex(low, d0, uMid, vLow);
                    part.addTriangle(pole, vertex(high, d1, us[j + 1], vHigh), vertex(high, d0, us[j], vHigh));
                } else if (highOnAxis) {
                    const uint32_t a = vertex(low, d0, us[j], vLow);
                    const uint32_t b = vertex(low, d1, us[j + 1], vLow);
                    part.addTriangle(a, b, vertex(high, d0, uMid, vHigh));
                } else {
                    const uint32_t a = vertex(low, d0, us[j], vLow);
                    const uint32_t b = vertex(low, d1, us[j + 1], vLow);
                    const uint32_t c = vertex(high, d1, us[j + 1], vHigh);
                    const uint32_t d = vertex(high, d0, us[j], vHigh);
                    part.addQuad(a, b, c, d);
                }
            }
        }
    }

    if (!fullTurn) {
        // Flat caps over the profile loop at both ends of the sweep, each
        // facing away from the swept body.
        std::vector<glm::dvec2> loop;
        for (const ProfileRun& run : lathe.runs) {
            for (size_t i = 0; i + 1 < run.size(); ++i) loop.push_back(run[i].at);
        }
        glm::dvec2 centre(0.0);
        for (const glm::dvec2& p : loop) centre += p;
        centre /= static_cast<double>(loop.size());
        for (int end = 0; end < 2; ++end) {
            const glm::dvec3& d = directions[end == 0 ? 0 : segments];
            const double angle = end == 0 ? sweepFrom : sweepFrom + sweep;
            const glm::dvec3 along(-std::sin(angle), 0.0, -std::cos(angle));  // d(direction)/d(angle)
            const glm::dvec3 outward = end == 0 ? -along : along;
            auto capVertex = [&](const glm::dvec2& p) {
                const glm::dvec3 position = d * p.x + glm::dvec3(0.0, p.y, 0.0);
                const double across = glm::dot(position, glm::cross(outward, glm::dvec3(0.0, 1.0, 0.0)));
                return part.addVertex({position, outward, {across / lathe.vTile, p.y / lathe.vTile}});
            };
            const uint32_t middle = capVertex(centre);
            for (size_t i = 0; i < loop.size(); ++i) {
                part.addTriangleFacing(middle, capVertex(loop[i]), capVertex(loop[(i + 1) % loop.size()]), outward);
            }
        }
    }
    return v;
}

void addTube(MeshPart& part, const Tube& tube) {
    const size_t count = tube.path.size();
    std::vector<glm::dvec3> tangents(count);
    for (size_t k = 0; k < count; ++k) {
        const size_t previous = k == 0 ? (tube.closedLoop ? count - 1 : 0) : k - 1;
        const size_t next = k + 1 == count ? (tube.closedLoop ? 0 : k) : k + 1;
        tangents[k] = glm::normalize(tube.path[next] - tube.path[previous]);
    }

    // Ring k, side j: its position and outward normal, computed once.
    std::vector<std::vector<glm::dvec3>> ringNormals(count);
    for (size_t k = 0; k < count; ++k) {
        const glm::dvec3 n = glm::normalize(tube.reference - tangents[k] * glm::dot(tube.reference, tangents[k]));
        const glm::dvec3 b = glm::cross(tangents[k], n);
        for (int j = 0; j < tube.sides; ++j) {
            const double a = angle::kFullTurn * j / tube.sides;
            ringNormals[k].push_back(n * std::cos(a) + b * std::sin(a));
        }
    }
    auto position = [&](size_t k, int j) { return tube.path[k] + ringNormals[k][j % tube.sides] * tube.radius; };

    const size_t spans = tube.closedLoop ? count : count - 1;
    double v = 0.0;
    for (size_t k = 0; k < spans; ++k) {
        const size_t next = (k + 1) % count;
        const double vNext = v + glm::length(tube.path[next] - tube.path[k]) / tube.vTile;
        for (int j = 0; j < tube.sides; ++j) {
            const double u0 = static_cast<double>(j) / tube.sides;
            const double u1 = static_cast<double>(j + 1) / tube.sides;
            const int j1 = (j + 1) % tube.sides;
            const uint32_t a = part.addVertex({position(k, j), ringNormals[k][j], {u0, v}});
            const uint32_t b = part.addVertex({position(k, j1), ringNormals[k][j1], {u1, v}});
            const uint32_t c = part.addVertex({position(next, j1), ringNormals[next][j1], {u1, vNext}});
            const uint32_t d = part.addVertex({position(next, j), ringNormals[next][j], {u0, vNext}});
            part.addQuad(a, b, c, d);
        }
        v = vNext;
    }

    if (!tube.closedLoop) {
        for (size_t end : {size_t{0}, count - 1}) {
            const glm::dvec3 outward = end == 0 ? -tangents[end] : tangents[end];
            auto capVertex = [&](const glm::dvec3& p, const glm::dvec2& uv) {
                return part.addVertex({p, outward, uv});
            };
            const uint32_t middle = capVertex(tube.path[end], {kHalf, kHalf});
            for (int j = 0; j < tube.sides; ++j) {
                const glm::dvec2 uv0 = glm::dvec2(kHalf) + glm::dvec2(std::cos(angle::kFullTurn * j / tube.sides),
                                                                      std::sin(angle::kFullTurn * j / tube.sides)) * kHalf;
                const glm::dvec2 uv1 = glm::dvec2(kHalf) + glm::dvec2(std::cos(angle::kFullTurn * (j + 1) / tube.sides),
                                                                      std::sin(angle::kFullTurn * (j + 1) / tube.sides)) * kHalf;
                part.addTriangleFacing(middle, capVertex(position(end, j), uv0),
                                       capVertex(position(end, j + 1), uv1), outward);
            }
        }
    }
}
