// The frame every texture recipe paints in: a function from a point on the
// tile, in metres, to colour, specular strength and height, sampled once per
// pixel. Also the small pattern helpers the recipes share.
#pragma once

#include "material.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <cstdint>
#include <functional>

struct Texel {
    glm::dvec3 colour;
    double specular;
    double heightMm;  // relief in millimetres; becomes the normal map
};

// Pixel counts and the size in metres the image covers on the surface.
struct Tile {
    int width;
    int height;
    double metresX;
    double metresY;
};

// A point on a tile: metres from the top-left corner (y grows down the image,
// which is down the surface on walls), and the same point in [0, 1) tile units
// for the noise functions.
struct TilePoint {
    double x;
    double y;
    double u;
    double v;
};

// `bumpScale` exaggerates the relief over its true size, so details of a
// millimetre or two still catch the light at walking distance.
SurfaceImages paintSurface(const Tile& tile, double bumpScale, const std::function<Texel(const TilePoint&)>& texel);

// One layer of tileable noise: a lattice of periodX by periodY cells over the
// tile, with `octaves` octaves for fractal noise.
struct NoiseLayer {
    int periodX;
    int periodY;
    int octaves;
    uint32_t seed;
};
double fractalNoise(const NoiseLayer& layer, const TilePoint& p);  // [0, 1]
double cellDistance(const NoiseLayer& layer, const TilePoint& p);  // in cells

// A soft threshold: 0 at `from`, 1 at `to` (either way round).
struct Ramp {
    double from;
    double to;
};
double ramp(const Ramp& r, double x);

// `base` scaled by 1 +- spread/2 as `noise` runs over [0, 1]: mottling.
glm::dvec3 mottled(const glm::dvec3& base, double noise, double spread);

double clamp01(double x);
// Hermite step from 0 at edge0 to 1 at edge1; edge0 > edge1 gives a falling step.
double smoothStep(double edge0, double edge1, double x);
glm::dvec3 blend(const glm::dvec3& a, const glm::dvec3& b, double t);
// Signed offset of x from the nearest multiple of `period`, in (-period/2, period/2].
double offsetToGrid(double x, double period);
// Distance from x to the nearest multiple of `period`.
double distanceToGrid(double x, double period);
// Height profile of a round head (bolt, rivet, bubble): 1 at the centre, 0 at `radius`.
double roundHead(double distance, double radius);
// Distance inside the rectangle to its nearest edge; negative outside.
double insideRectangle(double x, double y, double left, double top, double right, double bottom);
