// Seeded hashing, a seeded random sequence and tileable noise for the
// procedural textures and shapes. Only integer hashing and plain arithmetic,
// so every machine computes the same values.
#pragma once

#include <glm/vec3.hpp>

#include <cstdint>

// A uniform value in [0, 1) fixed by three lattice coordinates and a seed.
double hashUnit(int a, int b, int c, uint32_t seed);

// A seeded sequence for scattering details (bolts, spots, streaks).
class Random {
public:
    explicit Random(uint64_t seed) : state(seed) {}
    double next();  // [0, 1)
    double range(double low, double high) { return low + (high - low) * next(); }

private:
    uint64_t state;
};

// Value noise in [0, 1] on a lattice of periodX by periodY cells laid over
// u, v in [0, 1); it repeats with period 1 in both, so a texture built from
// it tiles without seams.
double tileNoise(double u, double v, int periodX, int periodY, uint32_t seed);

// Octaves of tileNoise, each with twice the lattice of the one before and
// half its weight, normalised back to [0, 1].
double tileFbm(double u, double v, int periodX, int periodY, int octaves, uint32_t seed);

// Distance, in cells, from (u, v) to the nearest of one random feature point
// per cell of a periodX by periodY lattice that repeats like tileNoise.
double tileCells(double u, double v, int periodX, int periodY, uint32_t seed);

// Smooth, non-repeating value noise in [-1, 1] over space, for shapes.
double solidNoise(const glm::dvec3& p, uint32_t seed);
