// The hallway's fittings: the bulkhead door that fills each end wall, the
// hazard-striped skirting and the riveted girders that frame the corridor.
#include "surface_scales.h"
#include "texture_painting.h"
#include "textures.h"

#include <cmath>

namespace {

constexpr int kDoorPixels = 256;
constexpr int kTrimPixelsX = 256;
constexpr int kTrimPixelsY = 64;
constexpr int kGirderPixelsX = 128;
constexpr int kGirderPixelsY = 64;
constexpr double kHalf = 0.5;

const glm::dvec3 kHazardYellow(0.86, 0.68, 0.14);
const glm::dvec3 kHazardBlack(0.11, 0.11, 0.11);
const glm::dvec3 kGrime(0.30, 0.29, 0.27);
const glm::dvec3 kSteel(0.46, 0.46, 0.47);
constexpr double kPolishedSteel = 1.15;  // brightening of worn-through steel

// Bulkhead: a door in a hazard-striped frame, set in a riveted plate wall,
// with a warning plate above. Heights are measured up from the floor.
constexpr double kDoorLeft = 0.45;
constexpr double kDoorRight = scale::kEndWallWidth - kDoorLeft;
constexpr double kDoorTop = 2.0;
constexpr double kBelowFloor = -1.0;  // rectangles that run off the bottom edge
constexpr double kFrameWidth = 0.12;
constexpr double kFrameMm = 4.0;
constexpr double kFrameBevel = 0.02;
constexpr double kStripePitch = 0.16;
constexpr double kDoorRibHeights[] = {0.5, 1.0, 1.5};
constexpr double kDoorRibHalfWidth = 0.035;
constexpr double kDoorRibMm = 2.5;
constexpr double kDoorSeamHalfWidth = 0.006;
constexpr double kPortholeHeight = 1.62;
constexpr double kPortholeOffset = 0.28;  // from the door's middle
constexpr double kPortholeRadius = 0.09;
constexpr double kPortholeRim = 0.025;
constexpr double kPortholeRimMm = 2.0;
constexpr double kPlateCourse = 0.6;  // height of the wall plates round the door
constexpr Ramp kPlateSeamEdge{0.003, 0.008};
constexpr double kPlateSeamMm = 2.0;
constexpr double kRivetPitch = 0.1;
constexpr double kRivetRadius = 0.012;
constexpr double kRivetRowOffset = 2.5;  // rivet radii from the plate seam
constexpr double kRivetMm = 2.0;
constexpr double kSignLeft = 0.7;
constexpr double kSignRight = scale::kEndWallWidth - kSignLeft;
constexpr double kSignBottom = 2.16;
constexpr double kSignTop = 2.32;
constexpr double kSignBorder = 0.015;
constexpr double kSignMm = 1.0;
constexpr double kDoorBump = 1.5;
constexpr uint32_t kDoorSeed = 404;
constexpr NoiseLayer kDoorWear{12, 12, 4, kDoorSeed};
constexpr double kDoorWearSpread = 0.2;
constexpr NoiseLayer kDoorGrime{6, 6, 4, kDoorSeed + 1};
constexpr Ramp kDoorGrimeCover{0.5, 0.8};
constexpr Ramp kKickedDirt{0.4, 0.0};  // scuffs low down, where boots hit
constexpr double kKickedDirtStrength = 0.5;
constexpr double kGrimeStrength = 0.5;
constexpr double kGrimeDulling = 0.4;
constexpr Ramp kFrameChipCover{0.62, 0.68};
constexpr double kDoorSpecular = 0.35;
constexpr double kRibSpecular = 0.3;
constexpr double kRimSpecular = 0.3;
constexpr double kGlassSpecular = 0.9;
constexpr double kFrameSpecular = 0.35;
constexpr double kChipSpecular = 0.3;
constexpr double kPlateSpecular = 0.28;
constexpr double kRivetSpecular = 0.4;
constexpr double kRivetBrightening = 1.1;
const glm::dvec3 kDoorSteel(0.54, 0.56, 0.58);
const glm::dvec3 kWallPlate(0.47, 0.48, 0.50);
const glm::dvec3 kGlassDark(0.07, 0.10, 0.11);

// Skirting: diagonal hazard stripes, chipped and scuffed along the bottom.
constexpr double kTrimStripePitch = 0.1;
constexpr double kTrimChipMm = 0.4;
constexpr double kTrimBump = 1.0;
constexpr uint32_t kTrimSeed = 505;
constexpr NoiseLayer kTrimChips{16, 4, 4, kTrimSeed};
constexpr Ramp kTrimChipCover{0.64, 0.70};
constexpr NoiseLayer kTrimScuffs{20, 2, 3, kTrimSeed + 1};
constexpr Ramp kTrimScuffCover{0.55, 0.85};
constexpr Ramp kFloorScuff{0.05, 0.0};
constexpr double kScuffStrength = 0.6;
constexpr double kTrimSpecular = 0.35;
constexpr double kTrimChipSpecular = 0.3;
constexpr double kScuffDulling = 0.2;

// Girders: painted steel with a row of rivets along both edges.
constexpr double kGirderRivetInset = 0.025;
constexpr double kGirderRivetPitch = 0.05;
constexpr double kGirderRivetRadius = 0.007;
constexpr double kGirderEdgeWear = 0.012;
constexpr double kGirderBump = 2.0;
constexpr uint32_t kGirderSeed = 606;
constexpr NoiseLayer kGirderWear{16, 4, 3, kGirderSeed};
constexpr Ramp kGirderWearCover{0.4, 0.7};
constexpr NoiseLayer kGirderMottle{8, 4, 4, kGirderSeed + 1};
constexpr double kGirderMottleSpread = 0.24;
constexpr Ramp kGirderGrimeCover{0.6, 0.85};
constexpr double kGirderGrimeStrength = 0.4;
constexpr double kGirderSpecular = 0.3;
constexpr double kGirderRivetSpecular = 0.35;
constexpr double kGirderWearSpecular = 0.3;
const glm::dvec3 kGirderPaint(0.50, 0.50, 0.53);

double hazardStripe(double along, double up, double pitch) {
    const double phase = (along + up) / pitch;
    return phase - std::floor(phase) < kHalf ? 1.0 : 0.0;
}

Texel doorLeaves(const TilePoint& p, double up, double wear) {
    const double middle = scale::kEndWallWidth * kHalf;
    const double seam = 1.0 - smoothStep(kDoorSeamHalfWidth * kHalf, kDoorSeamHalfWidth, std::fabs(p.x - middle));
    double rib = 0.0;
    for (double h : kDoorRibHeights) rib = std::fmax(rib, roundHead(std::fabs(up - h), kDoorRibHalfWidth));
    const double porthole = std::hypot(std::fabs(p.x - middle) - kPortholeOffset, up - kPortholeHeight);
    const bool glass = porthole < kPortholeRadius;
    const double rim = roundHead(std::fabs(porthole - kPortholeRadius - kPortholeRim * kHalf), kPortholeRim * kHalf);
    if (glass) rib = 0.0;

    glm::dvec3 colour = glass ? kGlassDark : mottled(kDoorSteel, wear, kDoorWearSpread);
    colour = blend(colour, kSteel * kPolishedSteel, rim);
    colour = blend(colour, kHazardBlack, seam);
    const double specular = glass ? kGlassSpecular : kDoorSpecular + kRibSpecular * rib + kRimSpecular * rim;
    return Texel{colour, specular, kDoorRibMm * rib + kPortholeRimMm * rim - kFrameMm * seam};
}

Texel doorFrame(double x, double up, double wear, double inFrame, double inDoor) {
    const double chipped = ramp(kFrameChipCover, wear);
    const glm::dvec3 paint = blend(kHazardBlack, kHazardYellow, hazardStripe(x, up, kStripePitch));
    const double relief = kFrameMm * smoothStep(0.0, kFrameBevel, std::fmin(inFrame, -inDoor));
    return Texel{blend(paint, kSteel, chipped), kFrameSpecular + kChipSpecular * chipped, relief};
}

Texel plateWall(double x, double up, double wear) {
    const double seam = 1.0 - ramp(kPlateSeamEdge, distanceToGrid(up, kPlateCourse));
    const double rivetRow = std::fabs(offsetToGrid(up, kPlateCourse)) - kRivetRadius * kRivetRowOffset;
    const double rivet = roundHead(std::hypot(offsetToGrid(x, kRivetPitch), rivetRow), kRivetRadius);
    const double sign = insideRectangle(x, up, kSignLeft, kSignBottom, kSignRight, kSignTop);

    glm::dvec3 colour = mottled(kWallPlate, wear, kDoorWearSpread);
    double relief = 0.0;
    if (sign > 0.0) {
        colour = sign < kSignBorder ? kHazardBlack : kHazardYellow;
        relief = kSignMm;
    }
    colour = blend(colour, kSteel * kRivetBrightening, rivet);
    colour = blend(colour, kHazardBlack, seam);
    return Texel{colour, kPlateSpecular + kRivetSpecular * rivet, relief + kRivetMm * rivet - kPlateSeamMm * seam};
}

}  // namespace

SurfaceImages paintBulkheadDoor() {
    const Tile tile{kDoorPixels, kDoorPixels, scale::kEndWallWidth, scale::kEndWallHeight};
    return paintSurface(tile, kDoorBump, [](const TilePoint& p) {
        const double up = scale::kEndWallHeight - p.y;
        const double inDoor = insideRectangle(p.x, up, kDoorLeft, kBelowFloor, kDoorRight, kDoorTop);
        const double inFrame = insideRectangle(p.x, up, kDoorLeft - kFrameWidth, kBelowFloor,
                                               kDoorRight + kFrameWidth, kDoorTop + kFrameWidth);
        const double wear = fractalNoise(kDoorWear, p);
        Texel texel = inDoor > 0.0    ? doorLeaves(p, up, wear)
                      : inFrame > 0.0 ? doorFrame(p.x, up, wear, inFrame, inDoor)
                                      : plateWall(p.x, up, wear);
        const double grime = ramp(kDoorGrimeCover, fractalNoise(kDoorGrime, p)) +
                             kKickedDirtStrength * ramp(kKickedDirt, up);
        texel.colour = blend(texel.colour, kGrime, kGrimeStrength * grime);
        texel.specular *= 1.0 - kGrimeDulling * grime;
        return texel;
    });
}

SurfaceImages paintHazardTrim() {
    const Tile tile{kTrimPixelsX, kTrimPixelsY, scale::kTrimLength, scale::kTrimHeight};
    return paintSurface(tile, kTrimBump, [](const TilePoint& p) {
        const double up = scale::kTrimHeight - p.y;
        const double chips = ramp(kTrimChipCover, fractalNoise(kTrimChips, p));
        const double scuff = kScuffStrength * (ramp(kFloorScuff, up) + ramp(kTrimScuffCover, fractalNoise(kTrimScuffs, p)));
        glm::dvec3 colour = blend(kHazardBlack, kHazardYellow, hazardStripe(p.x, up, kTrimStripePitch));
        colour = blend(colour, kSteel, chips);
        colour = blend(colour, kGrime, scuff);
        const double specular = kTrimSpecular + kTrimChipSpecular * chips - kScuffDulling * scuff;
        return Texel{colour, specular, -kTrimChipMm * chips};
    });
}

SurfaceImages paintGirder() {
    const Tile tile{kGirderPixelsX, kGirderPixelsY, scale::kGirderLength, scale::kGirderWidth};
    return paintSurface(tile, kGirderBump, [](const TilePoint& p) {
        const double fromEdge = std::fmin(p.y, scale::kGirderWidth - p.y);
        const double rivet = roundHead(std::hypot(offsetToGrid(p.x, kGirderRivetPitch), fromEdge - kGirderRivetInset),
                                       kGirderRivetRadius);
        const double edgeWear = smoothStep(kGirderEdgeWear, 0.0, fromEdge) *
                                ramp(kGirderWearCover, fractalNoise(kGirderWear, p));
        const double mottle = fractalNoise(kGirderMottle, p);
        glm::dvec3 colour = mottled(kGirderPaint, mottle, kGirderMottleSpread);
        colour = blend(colour, kSteel * kPolishedSteel, edgeWear + kHalf * rivet);
        colour = blend(colour, kGrime, kGirderGrimeStrength * ramp(kGirderGrimeCover, mottle));
        const double specular = kGirderSpecular + kGirderRivetSpecular * rivet + kGirderWearSpecular * edgeWear;
        return Texel{colour, specular, kRivetMm * rivet};
    });
}
