// The props on the floor: painted pipes with chipped, rust-streaked paint,
// their bare steel fittings, and the glowing slime, bright enough to stand
// out in the bloom pass.
#include "surface_scales.h"
#include "texture_painting.h"
#include "textures.h"

#include <cmath>

namespace {

constexpr int kPropPixels = 128;
constexpr int kSteelPixels = 64;

// Pipe paint: dull safety yellow, chipped to the steel, rust running down.
constexpr double kPaintMm = 0.4;
constexpr double kPaintMottleMm = 0.05;
constexpr double kPipeBump = 1.5;
constexpr uint32_t kPipeSeed = 707;
constexpr NoiseLayer kPaintMottle{4, 8, 4, kPipeSeed};
constexpr double kPaintMottleSpread = 0.2;
constexpr NoiseLayer kPaintChips{6, 10, 4, kPipeSeed + 1};
constexpr Ramp kChipCover{0.66, 0.69};
constexpr Ramp kChipRing{0.62, 0.66};  // paint darkened round each chip
constexpr NoiseLayer kRustRuns{12, 2, 3, kPipeSeed + 2};  // long and thin down the pipe
constexpr Ramp kRustCover{0.58, 0.82};
constexpr double kRustStrength = 0.55;
constexpr double kChipRingDarkening = 0.7;
constexpr double kPaintSpecular = 0.45;
constexpr double kRustDulling = 0.3;
constexpr double kChipSpecular = 0.2;
const glm::dvec3 kPipeYellow(0.80, 0.63, 0.20);
const glm::dvec3 kPipeSteel(0.44, 0.44, 0.45);
const glm::dvec3 kRustBrown(0.48, 0.28, 0.14);

// Fittings: galvanised steel, its crystal spangle faintly visible.
constexpr NoiseLayer kSpangle{8, 8, 1, kPipeSeed + 3};
constexpr double kSpangleSpread = 0.15;
constexpr double kSpangleMm = 0.1;
constexpr NoiseLayer kSteelGrime{4, 4, 4, kPipeSeed + 4};
constexpr Ramp kSteelGrimeCover{0.5, 0.8};
constexpr double kSteelGrimeStrength = 0.4;
constexpr double kSteelSpecular = 0.6;
constexpr double kSteelGrimeDulling = 0.3;
const glm::dvec3 kGalvanised(0.62, 0.63, 0.64);

// Slime: vivid green, faint darker veins, bright raised bubbles.
constexpr double kBubbleRadius = 0.4;  // in noise cells
constexpr double kSmallBubbleRadius = 0.32;
constexpr double kBubbleMm = 1.5;
constexpr double kSmallBubbleShare = 0.5;
constexpr double kBubbleShine = 0.8;
constexpr double kVeinMm = 1.0;
constexpr double kSlimeBump = 1.2;
constexpr uint32_t kSlimeSeed = 808;
constexpr NoiseLayer kSlimeGlow{3, 3, 4, kSlimeSeed};
constexpr double kSlimeGlowSpread = 0.3;
constexpr NoiseLayer kVeinNoise{5, 5, 4, kSlimeSeed + 1};
constexpr Ramp kVeinCrest{0.92, 0.99};  // veins follow the noise's mid-level line
constexpr NoiseLayer kBubbles{7, 7, 1, kSlimeSeed + 2};
constexpr NoiseLayer kSmallBubbles{23, 23, 1, kSlimeSeed + 3};
constexpr double kSlimeSpecular = 0.85;
constexpr double kVeinDulling = 0.35;
const glm::dvec3 kSlimeGreen(0.38, 0.96, 0.28);
const glm::dvec3 kSlimeVein(0.12, 0.55, 0.12);
const glm::dvec3 kSlimeBubble(0.80, 1.00, 0.62);

}  // namespace

SurfaceImages paintPipePaint() {
    const Tile tile{kPropPixels, kPropPixels, scale::kPipePaintAround, scale::kPipePaintAlong};
    return paintSurface(tile, kPipeBump, [](const TilePoint& p) {
        const double mottle = fractalNoise(kPaintMottle, p);
        const double chipNoise = fractalNoise(kPaintChips, p);
        const double chipped = ramp(kChipCover, chipNoise);
        const double chipRing = ramp(kChipRing, chipNoise) * (1.0 - chipped);
        const double rust = ramp(kRustCover, fractalNoise(kRustRuns, p));
        glm::dvec3 colour = mottled(kPipeYellow, mottle, kPaintMottleSpread);
        colour = blend(colour, kRustBrown, kRustStrength * rust);
        colour = blend(colour, kPipeYellow * kChipRingDarkening, chipRing);
        colour = blend(colour, kPipeSteel, chipped);
        const double specular = kPaintSpecular - kRustDulling * rust + kChipSpecular * chipped;
        return Texel{colour, specular, kPaintMm * (1.0 - chipped) + kPaintMottleMm * mottle};
    });
}

SurfaceImages paintPipeSteel() {
    const Tile tile{kSteelPixels, kSteelPixels, scale::kPipeSteelTile, scale::kPipeSteelTile};
    return paintSurface(tile, kPipeBump, [](const TilePoint& p) {
        const double spangle = cellDistance(kSpangle, p);
        const double grime = ramp(kSteelGrimeCover, fractalNoise(kSteelGrime, p));
        glm::dvec3 colour = mottled(kGalvanised, spangle, kSpangleSpread);
        colour = blend(colour, kRustBrown, kSteelGrimeStrength * grime);
        return Texel{colour, kSteelSpecular - kSteelGrimeDulling * grime, kSpangleMm * spangle};
    });
}

SurfaceImages paintSlimeSkin() {
    const Tile tile{kPropPixels, kPropPixels, scale::kSlimeTile, scale::kSlimeTile};
    return paintSurface(tile, kSlimeBump, [](const TilePoint& p) {
        const double ridge = 1.0 - std::fabs(2.0 * fractalNoise(kVeinNoise, p) - 1.0);
        const double vein = ramp(kVeinCrest, ridge);
        const double bubble = roundHead(cellDistance(kBubbles, p), kBubbleRadius);
        const double small = roundHead(cellDistance(kSmallBubbles, p), kSmallBubbleRadius);
        glm::dvec3 colour = mottled(kSlimeGreen, fractalNoise(kSlimeGlow, p), kSlimeGlowSpread);
        colour = blend(colour, kSlimeVein, vein);
        colour = blend(colour, kSlimeBubble, kBubbleShine * bubble * bubble + kSmallBubbleShare * small);
        const double relief = kBubbleMm * (bubble + kSmallBubbleShare * small) - kVeinMm * vein;
        return Texel{colour, kSlimeSpecular - kVeinDulling * vein, relief};
    });
}
