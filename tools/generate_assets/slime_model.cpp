// A glowing slime blob: a sphere pushed in and out by smooth noise, squashed,
// and flattened where it rests on the floor. A closed solid with smooth
// normals; it casts shadows and is the only thing in the bloom pass.
#include "models.h"
#include "noise.h"
#include "scene_layout.h"
#include "shapes.h"
#include "surface_scales.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSegments = 32;
constexpr int kRings = 16;
constexpr double kSkinRepeats = 2.0;

// Two octaves of lumps over the unit sphere, then a squash to a blob lower
// than it is wide.
constexpr double kLumpFrequency = 1.7;
constexpr double kLumpAmount = 0.22;
constexpr double kRippleFrequency = 4.1;
constexpr double kRippleAmount = 0.035;
constexpr double kSquash = 0.72;
constexpr uint32_t kLumpSeed = 4242;
const glm::dvec3 kNoiseOffset(11.3, 7.7, 3.1);  // away from the lattice's symmetric origin

// The lowest part sags onto the floor: heights within kFlatDepth of the
// bottom are pressed onto a flat base, blended over kFlatBlend.
constexpr double kFlatDepth = 0.03;
constexpr double kFlatBlend = 0.02;

glm::dvec3 lumpy(const glm::dvec3& p) {
    const glm::dvec3 direction = glm::normalize(p);
    const double lumps = solidNoise(direction * kLumpFrequency + kNoiseOffset, kLumpSeed);
    const double ripples = solidNoise(direction * kRippleFrequency + kNoiseOffset, kLumpSeed + 1);
    const double radius = layout::kSlimeRadius * (1.0 + kLumpAmount * lumps + kRippleAmount * ripples);
    glm::dvec3 q = direction * radius;
    q.y *= kSquash;
    return q;
}

// Polynomial smooth maximum: y above the base is kept, y below it is raised
// onto it, with a soft knee of width kFlatBlend.
double restOn(double y, double base) {
    const double h = std::clamp(0.5 + 0.5 * (y - base) / kFlatBlend, 0.0, 1.0);
    return base + (y - base) * h + kFlatBlend * h * (1.0 - h);
}

}  // namespace

MeshModel buildSlime() {
    MeshPart skin{"slime", "slime_skin", {}, {}};
    Lathe sphere = fullTurnLathe({arcRun({0.0, 0.0}, layout::kSlimeRadius, -angle::kQuarterTurn, angle::kQuarterTurn, kRings)},
                                 kSegments, scale::kSlimeTile);
    sphere.uRepeats = kSkinRepeats;
    addLathe(skin, sphere);

    // Lay the sphere's axis along X: the camera looks down on the blobs, and
    // the texture pinches together at the poles.
    double lowest = 0.0;
    for (MeshVertex& v : skin.vertices) {
        v.position = lumpy({-v.position.y, v.position.x, v.position.z});
        lowest = std::min(lowest, v.position.y);
    }
    const double base = lowest + kFlatDepth;
    for (MeshVertex& v : skin.vertices) {
        v.position.y = restOn(v.position.y, base) - base + layout::kPropFloorLocalY;
    }
    smoothNormalsByPosition(skin);
    return MeshModel{"slime", {skin}};
}
