// The alarm light: gunmetal housing, ribbed red glass that reads bright when
// lit from inside (and in the god-ray image, which shows its colour as is),
// the dark cage, and the near-black of the shadow-only blockers, which the
// god-ray pass draws as occluders.
#include "surface_scales.h"
#include "texture_painting.h"
#include "textures.h"

#include <cmath>

namespace {

constexpr int kHousingPixels = 64;
constexpr int kGlassPixels = 128;
constexpr int kCagePixels = 32;
constexpr int kShadowPixels = 16;
constexpr double kHalf = 0.5;
constexpr uint32_t kBeaconSeed = 909;

constexpr double kHousingBump = 1.0;
constexpr NoiseLayer kBrushing{2, 32, 2, kBeaconSeed};  // fine lines round the housing
constexpr NoiseLayer kHousingMottle{4, 4, 3, kBeaconSeed + 1};
constexpr double kBrushingSpread = 0.2;
constexpr double kHousingMottleSpread = 0.1;
constexpr double kBrushingMm = 0.1;
constexpr double kHousingSpecular = 0.45;
constexpr double kBrushingSpecular = 0.25;
const glm::dvec3 kGunmetal(0.32, 0.33, 0.35);

// Fresnel-style glass: vertical lens ribs crossed by fine prism rings.
constexpr int kGlassRibs = 32;
constexpr double kPrismRingPitch = 0.025;
constexpr double kRibMm = 0.6;
constexpr double kRingMm = 0.3;
constexpr double kRibGlow = 0.45;
constexpr double kRingGlow = 0.15;
constexpr double kFleckGlow = 0.1;
constexpr NoiseLayer kGlassFlecks{8, 4, 3, kBeaconSeed + 2};
constexpr double kGlassSpecular = 0.9;
constexpr double kGlassBump = 2.0;
const glm::dvec3 kGlassRed(1.00, 0.20, 0.14);
const glm::dvec3 kGlassHot(1.00, 0.68, 0.58);

constexpr double kCageBump = 0.5;
constexpr NoiseLayer kCageMottle{4, 4, 2, kBeaconSeed + 3};
constexpr double kCageMottleSpread = 0.3;
constexpr double kCageSpecular = 0.4;
constexpr double kCageMottleSpecular = 0.2;
const glm::dvec3 kCageDark(0.20, 0.20, 0.22);

const glm::dvec3 kOccluderBlack(0.02, 0.02, 0.02);
constexpr double kNoBump = 0.0;

// 0 to 1 and back `count` times across one turn of `phase` (tile units).
double wave(double phase, double count) { return kHalf + kHalf * std::cos(angle::kFullTurn * count * phase); }

}  // namespace

SurfaceImages paintBeaconHousing() {
    const Tile tile{kHousingPixels, kHousingPixels, scale::kHousingTile, scale::kHousingTile};
    return paintSurface(tile, kHousingBump, [](const TilePoint& p) {
        const double brushed = fractalNoise(kBrushing, p);
        glm::dvec3 colour = mottled(kGunmetal, brushed, kBrushingSpread);
        colour = mottled(colour, fractalNoise(kHousingMottle, p), kHousingMottleSpread);
        return Texel{colour, kHousingSpecular + kBrushingSpecular * brushed, kBrushingMm * brushed};
    });
}

SurfaceImages paintBeaconGlass() {
    const Tile tile{kGlassPixels, kGlassPixels, scale::kGlassAround, scale::kGlassAlong};
    return paintSurface(tile, kGlassBump, [](const TilePoint& p) {
        const double rib = wave(p.u, kGlassRibs);
        const double ring = wave(p.y, 1.0 / kPrismRingPitch);
        const double glow = kRibGlow * rib * rib + kRingGlow * ring + kFleckGlow * fractalNoise(kGlassFlecks, p);
        return Texel{blend(kGlassRed, kGlassHot, glow), kGlassSpecular, kRibMm * rib + kRingMm * ring};
    });
}

SurfaceImages paintCageMetal() {
    const Tile tile{kCagePixels, kCagePixels, scale::kCageTile, scale::kCageTile};
    return paintSurface(tile, kCageBump, [](const TilePoint& p) {
        const double mottle = fractalNoise(kCageMottle, p);
        return Texel{mottled(kCageDark, mottle, kCageMottleSpread), kCageSpecular + kCageMottleSpecular * mottle, 0.0};
    });
}

SurfaceImages paintShadowBlack() {
    const Tile tile{kShadowPixels, kShadowPixels, scale::kShadowTile, scale::kShadowTile};
    return paintSurface(tile, kNoBump, [](const TilePoint&) { return Texel{kOccluderBlack, 0.0, 0.0}; });
}
