// Samples a recipe at pixel centres and turns the heights into a normal map
// at the true scale of the tile.
#include "texture_painting.h"

#include "noise.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPixelCentre = 0.5;
constexpr double kMillimetre = 0.001;
constexpr double kHalf = 0.5;
}  // namespace

SurfaceImages paintSurface(const Tile& tile, double bumpScale, const std::function<Texel(const TilePoint&)>& texel) {
    SurfaceImages images{ColourImage(tile.width, tile.height, glm::dvec3(0.0)),
                         GreyImage(tile.width, tile.height, 0.0), GreyImage(tile.width, tile.height, 0.0), 0.0};
    for (int row = 0; row < tile.height; ++row) {
        for (int column = 0; column < tile.width; ++column) {
            const double u = (column + kPixelCentre) / tile.width;
            const double v = (row + kPixelCentre) / tile.height;
            const Texel t = texel({u * tile.metresX, v * tile.metresY, u, v});
            images.diffuse.at(column, row) = t.colour;
            images.specular.at(column, row) = t.specular;
            images.height.at(column, row) = t.heightMm;
        }
    }
    // Heights are in millimetres and slopes are taken per pixel, so this
    // strength makes the normal map's slope the true one times bumpScale.
    const double metresPerPixel = tile.metresX / tile.width;
    images.bumpStrength = bumpScale * kMillimetre / metresPerPixel;
    return images;
}

double fractalNoise(const NoiseLayer& layer, const TilePoint& p) {
    return tileFbm(p.u, p.v, layer.periodX, layer.periodY, layer.octaves, layer.seed);
}

double cellDistance(const NoiseLayer& layer, const TilePoint& p) {
    return tileCells(p.u, p.v, layer.periodX, layer.periodY, layer.seed);
}

double ramp(const Ramp& r, double x) { return smoothStep(r.from, r.to, x); }

glm::dvec3 mottled(const glm::dvec3& base, double noise, double spread) {
    return base * (1.0 + spread * (noise - kHalf));
}

double clamp01(double x) { return std::clamp(x, 0.0, 1.0); }

double smoothStep(double edge0, double edge1, double x) {
    const double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

glm::dvec3 blend(const glm::dvec3& a, const glm::dvec3& b, double t) { return a + (b - a) * clamp01(t); }

double offsetToGrid(double x, double period) { return x - period * std::round(x / period); }

double distanceToGrid(double x, double period) { return std::fabs(offsetToGrid(x, period)); }

double roundHead(double distance, double radius) {
    if (distance >= radius) return 0.0;
    const double t = distance / radius;
    return std::sqrt(1.0 - t * t);
}

double insideRectangle(double x, double y, double left, double top, double right, double bottom) {
    return std::min(std::min(x - left, right - x), std::min(y - top, bottom - y));
}
