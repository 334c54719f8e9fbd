// The alarm light's parts, in the assembly's own frame (origin at the mount
// point under the ceiling, light point below it inside the glass). The cage
// and its shadow twin share one shape, so their shadows match what is seen.
#pragma once

#include "angles.h"
#include "mesh.h"
#include "scene_layout.h"

namespace alarm {

constexpr double kLightY = layout::kLightLocalY;
constexpr double kCeilingY = layout::kAlarmCeilingLocalY;

// Housing: a collar that holds the glass, on a stem under a ceiling plate.
constexpr double kHousingRadius = 0.136;
constexpr double kHousingBottom = -0.08;
constexpr double kHousingSide = -0.03;
constexpr double kStemRadius = 0.03;
constexpr double kStemBottom = 0.0;
constexpr double kPlateRadius = 0.09;
constexpr double kPlateThickness = 0.03;

// Glass: a short cylinder closed below by a hemisphere centred on the light.
constexpr double kGlassRadius = layout::kDomeRadius;
constexpr double kGlassTop = kHousingBottom;

// Cage: bars bent round the glass at this radius, held by three rings.
constexpr double kCageRadius = 0.14;
constexpr double kBarRadius = 0.005;  // 1 cm thick bars
constexpr double kCageTopY = -0.05;
constexpr int kCageBars = 6;
// The bottom ring sits 75 degrees below the light's level. Its shadow is a
// cone from the light: this steep, it lands as a small ring on the floor
// right under the light. Any shallower and it crosses the pipes, whose
// round sides meet it at a glancing angle and stretch the shadow's filtered
// edge into wide terraced arcs.
constexpr double kCageBottomAngle = -angle::kQuarterTurn * 5.0 / 6.0;

// Appends the cage's bars and rings to `part`.
void addCage(MeshPart& part);

}  // namespace alarm
