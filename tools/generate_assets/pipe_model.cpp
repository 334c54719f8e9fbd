// A vertical painted pipe from the floor to the ceiling with a bare steel
// floor flange, a coupling half-way up and a ceiling flange. One closed solid
// of revolution, since the pipes cast shadows.
#include "models.h"
#include "scene_layout.h"
#include "shapes.h"
#include "surface_scales.h"

#include <algorithm>

namespace {

constexpr int kSegments = 16;
constexpr double kBottom = layout::kPropFloorLocalY;
constexpr double kTop = layout::kCeilingY - layout::kPropPlacementY;
constexpr double kPipe = layout::kPipeRadius;

constexpr double kFlangeRadius = 0.08;
constexpr double kFlangeThickness = 0.015;
constexpr double kCollarRadius = 0.058;
constexpr double kCollarLength = 0.05;
constexpr double kCollarBevel = 0.01;
constexpr double kCouplingCentre = 1.1;
constexpr double kCouplingRadius = 0.055;
constexpr double kCouplingLength = 0.08;
constexpr double kSteelRepeats = 4.0;  // steel texture tiles round the flange
constexpr double kUpward = 1.0;

// Flange and collar at one end, `sign` pointing from the end into the pipe:
// +1 at the floor, -1 at the ceiling. The runs go counter-clockwise round the
// profile either way.
std::vector<ProfileRun> endFitting(double end, double sign) {
    const double flangeInner = end + sign * kFlangeThickness;
    const double collarInner = flangeInner + sign * kCollarLength;
    const double pipeStart = collarInner + sign * kCollarBevel;
    std::vector<glm::dvec2> outline = {{0.0, end},
                                             {kFlangeRadius, end},
                                             {kFlangeRadius, flangeInner},
                                             {kCollarRadius, flangeInner},
                                             {kCollarRadius, collarInner},
                                             {kPipe, pipeStart}};
    // At the ceiling the same outline is walked from the pipe up to the axis.
    if (sign < 0.0) std::reverse(outline.begin(), outline.end());
    std::vector<ProfileRun> runs;
    for (size_t i = 0; i + 1 < outline.size(); ++i) runs.push_back(straightRun(outline[i], outline[i + 1]));
    return runs;
}

}  // namespace

MeshModel buildPipe() {
    const double couplingLow = kCouplingCentre - kCouplingLength / 2.0;
    const double couplingHigh = kCouplingCentre + kCouplingLength / 2.0;
    const double lowerPipeStart = kBottom + kFlangeThickness + kCollarLength + kCollarBevel;
    const double upperPipeEnd = kTop - kFlangeThickness - kCollarLength - kCollarBevel;

    MeshPart paint{"pipe", "pipe_paint", {}, {}};
    MeshPart steel{"fittings", "pipe_steel", {}, {}};
    Lathe steelLathe = fullTurnLathe({}, kSegments, scale::kPipeSteelTile);
    steelLathe.uRepeats = kSteelRepeats;
    Lathe paintLathe = fullTurnLathe({}, kSegments, scale::kPipePaintAlong);

    steelLathe.runs = endFitting(kBottom, kUpward);
    steelLathe.vOrigin = addLathe(steel, steelLathe);

    paintLathe.runs = {straightRun({kPipe, lowerPipeStart}, {kPipe, couplingLow - kCollarBevel})};
    paintLathe.vOrigin = addLathe(paint, paintLathe);

    steelLathe.runs = {straightRun({kPipe, couplingLow - kCollarBevel}, {kCouplingRadius, couplingLow}),
                       straightRun({kCouplingRadius, couplingLow}, {kCouplingRadius, couplingHigh}),
                       straightRun({kCouplingRadius, couplingHigh}, {kPipe, couplingHigh + kCollarBevel})};
    steelLathe.vOrigin = addLathe(steel, steelLathe);

    paintLathe.runs = {straightRun({kPipe, couplingHigh + kCollarBevel}, {kPipe, upperPipeEnd})};
    addLathe(paint, paintLathe);

    steelLathe.runs = endFitting(kTop, -kUpward);
    addLathe(steel, steelLathe);

    return MeshModel{"pipe", {paint, steel}};
}
