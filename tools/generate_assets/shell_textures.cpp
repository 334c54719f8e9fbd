// The hallway's large surfaces: diamond-plate floor, bolted wall panels and
// perforated ceiling panels. Greys and desaturated steel a little brighter
// than life, since the scene's only light is strongly red.
#include "surface_scales.h"
#include "texture_painting.h"
#include "textures.h"

#include <cmath>

namespace {

constexpr int kShellPixels = 256;
constexpr double kHalf = 0.5;
constexpr double kHalfSqrt2 = 0.7071067811865476;

// Screws shared by floor and ceiling plates, one near each corner.
constexpr double kCornerScrewInset = 0.04;
constexpr double kScrewRadius = 0.009;
constexpr double kScrewMm = 0.8;
constexpr double kScrewSlotHalfWidth = 0.0015;
constexpr double kScrewClearance = 1.6;  // screw radii kept free of floor lozenges
const glm::dvec3 kSeamShadow(0.16, 0.16, 0.17);
const glm::dvec3 kGrime(0.33, 0.32, 0.30);
const glm::dvec3 kBareSteel(0.45, 0.45, 0.46);

// Floor: one steel plate per tile, a lattice of raised lozenges in
// alternating directions, screws at the corners, worn bright tops and oil
// stains (rust would read as blood under the red light).
constexpr double kLozengeCell = 1.0 / 16.0;
constexpr double kLozengeLength = 0.36;  // in cells
constexpr double kLozengeWidth = 0.11;
constexpr Ramp kLozengeEdge{1.0, 0.55};
constexpr double kLozengeMm = 1.4;
constexpr double kPlateSeamHalfWidth = 0.003;
constexpr Ramp kPlateSeamEdge{kPlateSeamHalfWidth * 0.5, kPlateSeamHalfWidth * 2.0};
constexpr double kPlateSeamMm = 2.0;
constexpr double kGrainMm = 0.15;
constexpr double kFloorBump = 2.5;
constexpr uint32_t kFloorSeed = 101;
constexpr NoiseLayer kFloorGrain{32, 32, 3, kFloorSeed};
constexpr double kFloorGrainSpread = 0.24;
constexpr NoiseLayer kFloorDirt{4, 4, 5, kFloorSeed + 1};
constexpr Ramp kFloorDirtCover{0.45, 0.72};
constexpr double kFloorDirtStrength = 0.65;
constexpr double kLozengeShedsDirt = 0.6;
constexpr NoiseLayer kStainSpots{3, 3, 1, kFloorSeed + 2};
constexpr Ramp kStainSpotSize{0.35, 0.10};
constexpr NoiseLayer kStainBreakup{12, 12, 3, kFloorSeed + 3};
constexpr Ramp kStainBreakupCover{0.40, 0.60};
constexpr double kStainStrength = 0.7;
constexpr double kWornTopBrightening = 0.12;
constexpr double kFloorSpecular = 0.30;
constexpr double kWornTopSpecular = 0.50;
constexpr double kStainSpecular = 0.2;  // oil is glossy
const glm::dvec3 kFloorSteel(0.58, 0.58, 0.60);
const glm::dvec3 kFloorDirtColour(0.32, 0.30, 0.27);
const glm::dvec3 kFloorStain(0.30, 0.29, 0.27);

// Walls: one pressed panel per tile with a raised centre, two stiffening
// ribs, bolts down both sides and rain-streak grime.
constexpr double kPanelMargin = 0.07;
constexpr double kPanelBevel = 0.012;
constexpr double kPanelMm = 1.2;
constexpr double kRibFraction[] = {1.0 / 3.0, 2.0 / 3.0};
constexpr double kRibHalfWidth = 0.02;
constexpr double kRibMm = 1.5;
constexpr double kWallSeamHalfWidth = 0.004;
constexpr Ramp kWallSeamEdge{kWallSeamHalfWidth * 0.5, kWallSeamHalfWidth * 1.5};
constexpr double kWallSeamMm = 2.5;
constexpr double kSeamDirtReach = 0.05;
constexpr double kBoltInset = 0.03;
constexpr double kBoltPitch = 0.15;
constexpr double kBoltRadius = 0.011;
constexpr double kBoltMm = 3.0;
constexpr double kChipMm = 0.1;
constexpr double kWallBump = 2.0;
constexpr uint32_t kWallSeed = 202;
constexpr NoiseLayer kWallMottle{6, 6, 4, kWallSeed};
constexpr double kWallMottleSpread = 0.2;
constexpr NoiseLayer kRainStreaks{24, 2, 3, kWallSeed + 1};  // long and thin down the wall
constexpr Ramp kRainStreakCover{0.52, 0.80};
constexpr NoiseLayer kPaintChips{16, 16, 4, kWallSeed + 2};
constexpr Ramp kPaintChipCover{0.70, 0.76};
constexpr double kPanelProtectsPaint = 0.7;
constexpr double kStreakStrength = 0.3;
constexpr double kSeamDirtStrength = 0.3;
constexpr double kBoltShine = 0.5;
constexpr double kBoltBrightening = 1.1;
constexpr double kWallSpecular = 0.28;
constexpr double kChipSpecular = 0.25;
constexpr double kBoltSpecular = 0.35;
constexpr double kStreakDulling = 0.5;
const glm::dvec3 kWallPaint(0.55, 0.58, 0.62);

// Ceiling: pillowed panels with a perforated vent in the middle.
constexpr double kCeilingBevel = 0.03;
constexpr double kCeilingPanelMm = 2.0;
constexpr double kVentHalfSize = 0.22;
constexpr double kVentRimWidth = 0.012;
constexpr Ramp kVentRimOuter{-kVentRimWidth, -kVentRimWidth * 0.5};
constexpr Ramp kVentRimInner{0.0, -kVentRimWidth * 0.3};
constexpr double kVentRimMm = 1.0;
constexpr double kHolePitch = 0.02;
constexpr double kHoleRadius = 0.006;
constexpr Ramp kHoleEdge{kHoleRadius, kHoleRadius * 0.6};
constexpr double kHoleMargin = kHolePitch * 0.25;  // no half holes at the vent's edge
constexpr double kHoleMm = 1.5;
constexpr double kCeilingBump = 2.0;
constexpr uint32_t kCeilingSeed = 303;
constexpr NoiseLayer kCeilingMottle{5, 5, 4, kCeilingSeed};
constexpr double kCeilingMottleSpread = 0.16;
constexpr NoiseLayer kWaterStains{3, 3, 5, kCeilingSeed + 1};
constexpr Ramp kWaterStainCover{0.55, 0.85};
constexpr double kWaterStainStrength = 0.6;
constexpr Ramp kVentSoot{0.1, -0.02};
constexpr double kVentSootStrength = 0.5;
constexpr double kEdgeDirtStrength = 0.5;
constexpr double kCeilingSpecular = 0.22;
constexpr double kRimSpecular = 0.2;
constexpr double kScrewSpecular = 0.3;
const glm::dvec3 kCeilingPaint(0.66, 0.66, 0.63);
const glm::dvec3 kCeilingStain(0.52, 0.47, 0.38);
const glm::dvec3 kHoleDark(0.08, 0.08, 0.08);

// Raised head with a screwdriver slot across it, in millimetres.
double screwHead(double dx, double dy) {
    const double distance = std::hypot(dx, dy);
    const bool inSlot = std::fabs(dx) < kScrewSlotHalfWidth && distance < kScrewRadius;
    return inSlot ? 0.0 : kScrewMm * roundHead(distance, kScrewRadius);
}

// Offset from the nearest of four points inset from the tile's corners,
// across the wrap, so screws on neighbouring tiles line up.
glm::dvec2 offsetToCornerScrew(const TilePoint& p, double tileX, double tileY) {
    return {std::fabs(offsetToGrid(p.x, tileX)) - kCornerScrewInset,
            std::fabs(offsetToGrid(p.y, tileY)) - kCornerScrewInset};
}

// Distance to the tile's nearest edge, across the wrap.
double distanceToTileEdge(const TilePoint& p, double tileX, double tileY) {
    return std::fmin(distanceToGrid(p.x, tileX), distanceToGrid(p.y, tileY));
}

// 1 on a lozenge of the diamond plate, 0 between them. Neighbouring cells
// point their lozenges in crossing directions.
double lozenge(const TilePoint& p) {
    const double cx = p.x / kLozengeCell;
    const double cy = p.y / kLozengeCell;
    const double lx = cx - std::floor(cx) - kHalf;
    const double ly = cy - std::floor(cy) - kHalf;
    const bool crossing = (static_cast<int>(std::floor(cx)) + static_cast<int>(std::floor(cy))) % 2 != 0;
    const double turned = crossing ? ly : -ly;
    const double along = (lx + turned) * kHalfSqrt2;
    const double across = (lx - turned) * kHalfSqrt2;
    return ramp(kLozengeEdge, std::fabs(along) / kLozengeLength + std::fabs(across) / kLozengeWidth);
}

}  // namespace

SurfaceImages paintFloorPlate() {
    const Tile tile{kShellPixels, kShellPixels, scale::kFloorTile, scale::kFloorTile};
    return paintSurface(tile, kFloorBump, [](const TilePoint& p) {
        const double seam = 1.0 - ramp(kPlateSeamEdge, distanceToTileEdge(p, scale::kFloorTile, scale::kFloorTile));
        const glm::dvec2 screw = offsetToCornerScrew(p, scale::kFloorTile, scale::kFloorTile);
        const bool nearScrew = std::hypot(screw.x, screw.y) < kScrewRadius * kScrewClearance;
        const double raised = nearScrew ? 0.0 : lozenge(p);

        const double grain = fractalNoise(kFloorGrain, p);
        const double dirt = ramp(kFloorDirtCover, fractalNoise(kFloorDirt, p));
        const double stain = ramp(kStainSpotSize, cellDistance(kStainSpots, p)) *
                             ramp(kStainBreakupCover, fractalNoise(kStainBreakup, p));
        const double wornTop = raised * (1.0 - dirt);

        glm::dvec3 colour = mottled(kFloorSteel, grain, kFloorGrainSpread) + glm::dvec3(kWornTopBrightening) * wornTop;
        colour = blend(colour, kFloorDirtColour, kFloorDirtStrength * dirt * (1.0 - raised * kLozengeShedsDirt));
        colour = blend(colour, kFloorStain, kStainStrength * stain);
        colour = blend(colour, kSeamShadow, seam);
        const double specular = (kFloorSpecular + kWornTopSpecular * wornTop + kStainSpecular * stain) * (1.0 - seam);
        const double relief = (nearScrew ? screwHead(screw.x, screw.y) : kLozengeMm * raised) -
                              kPlateSeamMm * seam + kGrainMm * grain;
        return Texel{colour, specular, relief};
    });
}

SurfaceImages paintWallPanel() {
    const Tile tile{kShellPixels, kShellPixels, scale::kWallTileWidth, scale::kWallTileHeight};
    return paintSurface(tile, kWallBump, [](const TilePoint& p) {
        const double w = scale::kWallTileWidth;
        const double h = scale::kWallTileHeight;
        const double edge = distanceToTileEdge(p, w, h);
        const double seam = 1.0 - ramp(kWallSeamEdge, edge);

        const double inside = insideRectangle(p.x, p.y, kPanelMargin, kPanelMargin, w - kPanelMargin, h - kPanelMargin);
        const double panel = smoothStep(0.0, kPanelBevel, inside);
        double rib = 0.0;
        for (double fraction : kRibFraction) {
            rib = std::fmax(rib, roundHead(std::fabs(p.y - h * fraction), kRibHalfWidth));
        }
        rib *= smoothStep(0.0, kPanelBevel, inside - kPanelBevel);

        // Bolts in columns just inside both vertical seams, across the wrap.
        const double bx = std::fabs(offsetToGrid(p.x, w)) - kBoltInset;
        const double by = offsetToGrid(p.y - kBoltPitch * kHalf, kBoltPitch);
        const double bolt = roundHead(std::hypot(bx, by), kBoltRadius);

        const double streaks = ramp(kRainStreakCover, fractalNoise(kRainStreaks, p));
        const double chips = ramp(kPaintChipCover, fractalNoise(kPaintChips, p)) * (1.0 - panel * kPanelProtectsPaint);
        const double seamDirt = 1.0 - smoothStep(0.0, kSeamDirtReach, edge);

        glm::dvec3 colour = mottled(kWallPaint, fractalNoise(kWallMottle, p), kWallMottleSpread);
        colour = blend(colour, kBareSteel, chips);
        colour = blend(colour, kGrime, kStreakStrength * streaks + kSeamDirtStrength * seamDirt);
        colour = blend(colour, kBareSteel * kBoltBrightening, kBoltShine * bolt);
        colour = blend(colour, kSeamShadow, seam);
        const double specular = (kWallSpecular + kChipSpecular * chips + kBoltSpecular * bolt) *
                                (1.0 - kStreakDulling * streaks) * (1.0 - seam);
        const double relief = kPanelMm * panel + kRibMm * rib + kBoltMm * bolt - kWallSeamMm * seam - kChipMm * chips;
        return Texel{colour, specular, relief};
    });
}

SurfaceImages paintCeilingPanel() {
    const Tile tile{kShellPixels, kShellPixels, scale::kCeilingTile, scale::kCeilingTile};
    return paintSurface(tile, kCeilingBump, [](const TilePoint& p) {
        const double t = scale::kCeilingTile;
        const double pillow = smoothStep(0.0, kCeilingBevel, distanceToTileEdge(p, t, t));

        const double centre = t * kHalf;
        const double vent = insideRectangle(p.x, p.y, centre - kVentHalfSize, centre - kVentHalfSize,
                                            centre + kVentHalfSize, centre + kVentHalfSize);
        const double rim = ramp(kVentRimOuter, vent) * ramp(kVentRimInner, vent);
        const double hx = offsetToGrid(p.x - centre + kHolePitch * kHalf, kHolePitch);
        const double hy = offsetToGrid(p.y - centre + kHolePitch * kHalf, kHolePitch);
        const double hole = vent > kHoleMargin ? ramp(kHoleEdge, std::hypot(hx, hy)) : 0.0;

        const glm::dvec2 screw = offsetToCornerScrew(p, t, t);
        const double screwMm = screwHead(screw.x, screw.y);

        const double stain = ramp(kWaterStainCover, fractalNoise(kWaterStains, p));
        const double soot = ramp(kVentSoot, std::fabs(vent)) * kVentSootStrength;

        glm::dvec3 colour = mottled(kCeilingPaint, fractalNoise(kCeilingMottle, p), kCeilingMottleSpread);
        colour = blend(colour, kCeilingStain, kWaterStainStrength * stain);
        colour = blend(colour, kGrime, soot + kEdgeDirtStrength * (1.0 - pillow));
        colour = blend(colour, kHoleDark, hole);
        const double specular = (kCeilingSpecular + kRimSpecular * rim + kScrewSpecular * screwMm / kScrewMm) *
                                (1.0 - hole);
        const double relief = kCeilingPanelMm * pillow + kVentRimMm * rim - kHoleMm * hole + screwMm;
        return Texel{colour, specular, relief};
    });
}
