// Where the models meet, in metres with +Y up: the hallway's extent, the
// heights the viewer places the props and the alarm light at, and the light
// point inside the beacon. Geometry is built around these placements.
#pragma once

namespace layout {

constexpr double kFloorY = 0.0;
constexpr double kCeilingY = 2.4;
constexpr double kSideWallZ = 1.0;   // walls at +z and -z, clear of the pipes at 0.7
constexpr double kStartWallX = -8.5; // behind the tour's start at x = -7
constexpr double kEndWallX = 7.5;    // ahead of the tour's end at about x = 5.75

// Pipes and slimes are placed this high; their geometry reaches down to the floor.
constexpr double kPropPlacementY = 0.1;
constexpr double kPropFloorLocalY = kFloorY - kPropPlacementY;
constexpr double kPipeRadius = 0.045;  // the closest pipes stand 0.4 apart
constexpr double kSlimeRadius = 0.14;


// The four alarm-light models are placed this high; the light sits below
// their origin, inside the glass.
constexpr double kAlarmPlacementY = 2.2;
constexpr double kAlarmCeilingLocalY = kCeilingY - kAlarmPlacementY;
constexpr double kLightLocalY = -0.2;
constexpr double kDomeRadius = 0.11;  // red glass round the light point

}  // namespace layout
