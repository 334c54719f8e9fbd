// Integer hashes feed every noise function here; interpolation uses only
// multiplications and additions, never library transcendental functions.
#include "noise.h"

#include <cmath>

namespace {

constexpr double kUnitScale = 1.0 / 16777216.0;  // 24 hash bits -> [0, 1)
constexpr int kHashShift = 8;
constexpr uint32_t kSeedSalt = 0x9e3779b9u;
constexpr uint32_t kPrimeB = 0x85ebca6bu;
constexpr uint32_t kPrimeC = 0xc2b2ae35u;
constexpr uint64_t kSplitMixStep = 0x9e3779b97f4a7c15ull;
constexpr uint64_t kSplitMixMulA = 0xbf58476d1ce4e5b9ull;
constexpr uint64_t kSplitMixMulB = 0x94d049bb133111ebull;
constexpr double kUnit53 = 1.0 / 9007199254740992.0;  // 2^-53
constexpr int kRandomShift = 11;
constexpr uint32_t kFeatureSeedOffset = 7919u;
constexpr double kOctaveWeight = 0.5;  // each octave half the one before
constexpr double kFartherThanAnyFeature = 2.0;
constexpr uint32_t kMixMulA = 0x7feb352du;
constexpr uint32_t kMixMulB = 0x846ca68bu;

uint32_t mixBits(uint32_t x) {
    x ^= x >> 16;
    x *= kMixMulA;
    x ^= x >> 15;
    x *= kMixMulB;
    x ^= x >> 16;
    return x;
}

// Quintic fade keeps the noise's slope continuous across cells, which the
// normal maps derived from it need.
double fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

double lerp(double a, double b, double t) { return a + (b - a) * t; }

int wrap(int i, int period) { return ((i % period) + period) % period; }

}  // namespace

double hashUnit(int a, int b, int c, uint32_t seed) {
    uint32_t h = mixBits(seed ^ kSeedSalt);
    h = mixBits(h ^ static_cast<uint32_t>(a));
    h = mixBits(h + static_cast<uint32_t>(b) * kPrimeB);
    h = mixBits(h ^ (static_cast<uint32_t>(c) * kPrimeC));
    return static_cast<double>(h >> kHashShift) * kUnitScale;
}

double Random::next() {
    state += kSplitMixStep;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * kSplitMixMulA;
    z = (z ^ (z >> 27)) * kSplitMixMulB;
    z ^= z >> 31;
    return static_cast<double>(z >> kRandomShift) * kUnit53;
}

double tileNoise(double u, double v, int periodX, int periodY, uint32_t seed) {
    const double x = u * periodX;
    const double y = v * periodY;
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int x0 = wrap(static_cast<int>(fx), periodX);
    const int y0 = wrap(static_cast<int>(fy), periodY);
    const int x1 = wrap(x0 + 1, periodX);
    const int y1 = wrap(y0 + 1, periodY);
    const double tx = fade(x - fx);
    const double ty = fade(y - fy);
    const double top = lerp(hashUnit(x0, y0, 0, seed), hashUnit(x1, y0, 0, seed), tx);
    const double bottom = lerp(hashUnit(x0, y1, 0, seed), hashUnit(x1, y1, 0, seed), tx);
    return lerp(top, bottom, ty);
}

double tileFbm(double u, double v, int periodX, int periodY, int octaves, uint32_t seed) {
    double sum = 0.0;
    double weight = 1.0;
    double total = 0.0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += weight * tileNoise(u, v, periodX << octave, periodY << octave,
                                  seed + static_cast<uint32_t>(octave));
        total += weight;
        weight *= kOctaveWeight;
    }
    return sum / total;
}

double tileCells(double u, double v, int periodX, int periodY, uint32_t seed) {
    const double x = u * periodX;
    const double y = v * periodY;
    const int cx = static_cast<int>(std::floor(x));
    const int cy = static_cast<int>(std::floor(y));
    double nearest = kFartherThanAnyFeature;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int ix = wrap(cx + dx, periodX);
            const int iy = wrap(cy + dy, periodY);
            const double px = cx + dx + hashUnit(ix, iy, 1, seed);
            const double py = cy + dy + hashUnit(ix, iy, 2, seed + kFeatureSeedOffset);
            const double d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < nearest) nearest = d;
        }
    }
    return nearest;
}

double solidNoise(const glm::dvec3& p, uint32_t seed) {
    const double fx = std::floor(p.x);
    const double fy = std::floor(p.y);
    const double fz = std::floor(p.z);
    const int x = static_cast<int>(fx);
    const int y = static_cast<int>(fy);
    const int z = static_cast<int>(fz);
    const double tx = fade(p.x - fx);
    const double ty = fade(p.y - fy);
    const double tz = fade(p.z - fz);
    auto corner = [&](int dx, int dy, int dz) { return hashUnit(x + dx, y + dy, z + dz, seed); };
    const double near = lerp(lerp(corner(0, 0, 0), corner(1, 0, 0), tx),
                             lerp(corner(0, 1, 0), corner(1, 1, 0), tx), ty);
    const double far = lerp(lerp(corner(0, 0, 1), corner(1, 0, 1), tx),
                            lerp(corner(0, 1, 1), corner(1, 1, 1), tx), ty);
    return lerp(near, far, tz) * 2.0 - 1.0;
}
