// The four alarm-light models: the visible beacon (housing and red glass),
// its wire cage, and the two shadow-only twins, a spinning pair of shields
// round the light and a copy of the cage, which the shadow and god-ray passes
// draw.
#include "alarm_light_layout.h"
#include "models.h"
#include "shapes.h"
#include "surface_scales.h"

#include <glm/geometric.hpp>

#include <cmath>

namespace {

constexpr int kHousingSegments = 24;
constexpr int kGlassSegments = 32;
constexpr int kGlassArcSteps = 8;
constexpr int kGlassWallSteps = 3;

// The shields: two opposite curved plates round the light, inside the glass,
// like a rotating beacon's reflectors. Each throws a beam of shadow with a
// beam of light either side, so as they spin two shadows and two beams sweep
// the hallway. Seen from the side, they cross in front of the light twice a
// turn and stand clear of it in between, so the god rays pulse.
constexpr int kShieldCount = 2;
constexpr int kShieldSegments = 40;  // per full turn: 8 facets per shield
constexpr double kShieldArc = angle::kFullTurn / 5.0;  // 72 degrees; the gaps between are wider
constexpr double kShieldRadius = 0.06;
constexpr double kShieldThickness = 0.01;
// Above the light the shields reach about 60 degrees up, so their shadow's
// upper edge lands on the ceiling. Below, they reach about 70 degrees down,
// steeper than the light sees any pipe's foot: that edge is a cone from the
// light, and where it crosses a round pipe at a glancing angle the shadow
// filter terraces it into stacked arcs. On the flat floor it stays one soft
// edge.
constexpr double kShieldRise = 0.1;
constexpr double kShieldDrop = 0.16;
constexpr double kShieldBottom = alarm::kLightY - kShieldDrop;
constexpr double kShieldTop = alarm::kLightY + kShieldRise;

constexpr int kRingSides = 6;
constexpr int kLargeRingSegments = 24;
constexpr int kSmallRingSegments = 16;
constexpr int kBarStraightSteps = 2;
constexpr int kBarArcSteps = 6;

const glm::dvec3 kLightPoint(0.0, alarm::kLightY, 0.0);
const glm::dvec3 kUp(0.0, 1.0, 0.0);
constexpr double kHalfStep = 0.5;  // ring vertices sit half a step off the bars

Tube cageBar(bool closedLoop, const glm::dvec3& reference) {
    Tube bar;
    bar.radius = alarm::kBarRadius;
    bar.sides = kRingSides;
    bar.closedLoop = closedLoop;
    bar.reference = reference;
    bar.vTile = scale::kCageTile;
    return bar;
}

void addRing(MeshPart& part, double radius, double y, int segments) {
    Tube ring = cageBar(true, kUp);
    for (int i = 0; i < segments; ++i) {
        const double a = angle::kFullTurn * (i + kHalfStep) / segments;
        ring.path.push_back({radius * std::cos(a), y, -radius * std::sin(a)});
    }
    addTube(part, ring);
}

// One bar: straight down from the top ring to the light's level, then bent
// round under the glass to the bottom ring.
void addBar(MeshPart& part, double angle) {
    const glm::dvec3 out(std::cos(angle), 0.0, -std::sin(angle));
    Tube bar = cageBar(false, {-std::sin(angle), 0.0, -std::cos(angle)});  // across the bar's plane
    for (int i = 0; i < kBarStraightSteps; ++i) {
        const double y = alarm::kCageTopY + (alarm::kLightY - alarm::kCageTopY) * i / kBarStraightSteps;
        bar.path.push_back(out * alarm::kCageRadius + kUp * y);
    }
    for (int i = 0; i <= kBarArcSteps; ++i) {
        const double a = alarm::kCageBottomAngle * i / kBarArcSteps;
        bar.path.push_back(out * (alarm::kCageRadius * std::cos(a)) +
                           kUp * (alarm::kLightY + alarm::kCageRadius * std::sin(a)));
    }
    addTube(part, bar);
}

}  // namespace

void alarm::addCage(MeshPart& part) {
    addRing(part, kCageRadius, kCageTopY, kLargeRingSegments);
    addRing(part, kCageRadius, kLightY, kLargeRingSegments);
    addRing(part, kCageRadius * std::cos(kCageBottomAngle), kLightY + kCageRadius * std::sin(kCageBottomAngle),
            kSmallRingSegments);
    // Bars sit between the ring's own vertices so no two solids share an edge.
    for (int i = 0; i < kCageBars; ++i) addBar(part, angle::kFullTurn * i / kCageBars);
}

MeshModel buildAlarmLight() {
    using namespace alarm;
    MeshPart housing{"housing", "beacon_housing", {}, {}};
    const double plateBottom = kCeilingY - kPlateThickness;
    addLathe(housing, fullTurnLathe({straightRun({0.0, kHousingBottom}, {kHousingRadius, kHousingBottom}),
                             straightRun({kHousingRadius, kHousingBottom}, {kHousingRadius, kHousingSide}),
                             straightRun({kHousingRadius, kHousingSide}, {kStemRadius, kStemBottom}),
                             straightRun({kStemRadius, kStemBottom}, {kStemRadius, plateBottom}),
                             straightRun({kStemRadius, plateBottom}, {kPlateRadius, plateBottom}),
                             straightRun({kPlateRadius, plateBottom}, {kPlateRadius, kCeilingY}),
                             straightRun({kPlateRadius, kCeilingY}, {0.0, kCeilingY})},
                            kHousingSegments, scale::kHousingTile));

    MeshPart glass{"glass", "beacon_glass", {}, {}};
    addLathe(glass, fullTurnLathe({arcRun({0.0, kLightY}, kGlassRadius, -angle::kQuarterTurn, 0.0, kGlassArcSteps),
                                   straightRun({kGlassRadius, kLightY}, {kGlassRadius, kGlassTop}, kGlassWallSteps)},
                                  kGlassSegments, scale::kGlassAlong));
    // The glass is lit by the light inside it: its normals face the light,
    // so ordinary diffuse lighting makes it glow, while its triangles stay
    // wound to face outwards and survive back-face culling.
    for (MeshVertex& v : glass.vertices) v.normal = glm::normalize(kLightPoint - v.position);

    return MeshModel{"alarmlight", {housing, glass}};
}

MeshModel buildAlarmLightGrid() {
    MeshPart cage{"cage", "cage_metal", {}, {}};
    alarm::addCage(cage);
    return MeshModel{"alarmlightGrid", {cage}};
}

MeshModel buildAlarmLightBlocker() {
    MeshPart shields{"shields", "blocker_black", {}, {}};
    const double inner = kShieldRadius - kShieldThickness / 2.0;
    const double outer = kShieldRadius + kShieldThickness / 2.0;
    // Each shield is its own closed slab, capped at both ends of its arc, so
    // the shadow pass (which culls front faces) stores its far side.
    Lathe shield = fullTurnLathe({straightRun({inner, kShieldBottom}, {outer, kShieldBottom}),
                                  straightRun({outer, kShieldBottom}, {outer, kShieldTop}),
                                  straightRun({outer, kShieldTop}, {inner, kShieldTop}),
                                  straightRun({inner, kShieldTop}, {inner, kShieldBottom})},
                                 kShieldSegments, scale::kShadowTile);
    for (int i = 0; i < kShieldCount; ++i) {
        const double centre = angle::kFullTurn * i / kShieldCount;
        shield.sweepFrom = centre - kShieldArc / 2.0;
        shield.sweepTo = centre + kShieldArc / 2.0;
        addLathe(shields, shield);
    }
    return MeshModel{"alarmlightBlocker", {shields}};
}

MeshModel buildAlarmLightBlockerGrid() {
    MeshPart cage{"cage", "blocker_black", {}, {}};
    alarm::addCage(cage);
    return MeshModel{"alarmlightBlockerGrid", {cage}};
}
