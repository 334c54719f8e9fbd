// The composable solids and surfaces every model is built from: subdivided
// rectangles, surfaces of revolution (lathes) and tubes swept along a path.
// Each appends to a mesh part with outward, counter-clockwise faces.
#pragma once

#include "mesh.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <vector>

// A flat rectangle from `origin` spanning `across` and `up`; the visible side
// is the one cross(across, up) points to. Texture coordinates are distances
// in metres along the two edges divided by `tileSize`, plus `uvOrigin`, so
// neighbouring rectangles continue one another's texture.
struct Rectangle {
    glm::dvec3 origin;
    glm::dvec3 across;
    glm::dvec3 up;
    glm::dvec2 tileSize;
    glm::dvec2 uvOrigin{0.0, 0.0};
    double maxCell = 1.0;  // metres; larger faces are split into a grid
};
void addRectangle(MeshPart& part, const Rectangle& rectangle);

// One point of a lathe profile in the (radius, height) plane, with its
// outward normal in that plane.
struct ProfilePoint {
    glm::dvec2 at;
    glm::dvec2 normal;
};
// Shaded smoothly along its length; neighbouring runs meet at a hard edge.
using ProfileRun = std::vector<ProfilePoint>;

// A straight run in `steps` equal pieces; `from` -> `to` must keep the solid
// on its left, that is go counter-clockwise round the profile (radius to the
// right, height up).
ProfileRun straightRun(const glm::dvec2& from, const glm::dvec2& to, int steps = 1);
// An arc about `centre`; angles in radians from the +radius direction towards
// +height, increasing for a counter-clockwise profile.
ProfileRun arcRun(const glm::dvec2& centre, double radius, double fromAngle, double toAngle, int steps);

// Turns the profile about the Y axis. A profile that starts and ends on the
// axis, swept a full turn, is a closed solid. A partial sweep is closed by two
// flat end caps (the profile must then be a closed convex loop). u runs
// `uRepeats` times round a full turn; v is the distance along the profile
// divided by `vTile`, starting at `vOrigin`.
struct Lathe {
    std::vector<ProfileRun> runs;
    int segments = 0;  // per full turn
    double sweepFrom = 0.0;
    double sweepTo = 0.0;  // radians; 0 and 0 mean a full turn
    double uRepeats = 1.0;
    double vTile = 1.0;
    double vOrigin = 0.0;
};
// A full turn of `runs` with `segments` round it and v tiled every `vTile` metres.
Lathe fullTurnLathe(std::vector<ProfileRun> runs, int segments, double vTile);
// Returns v at the profile's end, so a lathe continued in another part
// continues its texture.
double addLathe(MeshPart& part, const Lathe& lathe);

// A round bar of `radius` swept along `path`. A closed loop joins its end to
// its start; an open path is capped at both ends. `reference` is a direction
// never parallel to the path; it fixes where each ring starts.
struct Tube {
    std::vector<glm::dvec3> path;
    double radius = 0.0;
    int sides = 0;
    bool closedLoop = false;
    glm::dvec3 reference{0.0, 1.0, 0.0};
    double vTile = 1.0;
};
void addTube(MeshPart& part, const Tube& tube);
