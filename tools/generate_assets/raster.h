// Images as the texture recipes paint them: a grid of floating-point colours
// or grey levels, converted to 8 bits only when written as PNG. Also turns a
// height map into the tangent-space normal map the lighting shader expects.
#pragma once

#include <glm/vec3.hpp>

#include <string>
#include <vector>

template <typename T>
struct Raster {
    Raster(int w, int h, const T& fill) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

    T& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const T& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Reads across the edges as the GL_REPEAT sampler will.
    const T& wrapped(int x, int y) const {
        return at(((x % width) + width) % width, ((y % height) + height) % height);
    }

    int width;
    int height;
    std::vector<T> pixels;
};

using ColourImage = Raster<glm::dvec3>;
using GreyImage = Raster<double>;

// The surface's tangent runs along the image columns (to the right) and its
// bitangent down the rows, so n = normalise(-s dh/dcol, -s dh/drow, 1),
// stored as n * 0.5 + 0.5. Slopes are taken across the wrap so tiles match.
ColourImage normalMapFromHeight(const GreyImage& height, double strength);

// False when the file cannot be written.
bool writePng(const std::string& path, const ColourImage& image);
bool writePng(const std::string& path, const GreyImage& image);
