// Height-to-normal conversion and PNG output. The PNG encoder is the system
// stb library's, whose compressor is deterministic, so equal pixels give
// equal files.
#include "raster.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kByteMax = 255.0;
constexpr double kRoundHalf = 0.5;
constexpr int kRgbChannels = 3;
constexpr int kGreyChannels = 1;
constexpr double kCentralDifference = 0.5;
constexpr double kEncodeHalf = 0.5;

uint8_t toByte(double value) {
    const double clamped = std::clamp(value, 0.0, 1.0);
    return static_cast<uint8_t>(std::floor(clamped * kByteMax + kRoundHalf));
}

}  // namespace

ColourImage normalMapFromHeight(const GreyImage& height, double strength) {
    ColourImage normals(height.width, height.height, glm::dvec3(0.0));
    for (int y = 0; y < height.height; ++y) {
        for (int x = 0; x < height.width; ++x) {
            const double dx = (height.wrapped(x + 1, y) - height.wrapped(x - 1, y)) * kCentralDifference;
            const double dy = (height.wrapped(x, y + 1) - height.wrapped(x, y - 1)) * kCentralDifference;
            glm::dvec3 n(-strength * dx, -strength * dy, 1.0);
            n /= std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
            normals.at(x, y) = n * kEncodeHalf + glm::dvec3(kEncodeHalf);  // [-1, 1] -> [0, 1]
        }
    }
    return normals;
}

bool writePng(const std::string& path, const ColourImage& image) {
    std::vector<uint8_t> bytes;
    bytes.reserve(image.pixels.size() * kRgbChannels);
    for (const glm::dvec3& c : image.pixels) {
        bytes.push_back(toByte(c.r));
        bytes.push_back(toByte(c.g));
        bytes.push_back(toByte(c.b));
    }
    return stbi_write_png(path.c_str(), image.width, image.height, kRgbChannels, bytes.data(),
                          image.width * kRgbChannels) != 0;
}

bool writePng(const std::string& path, const GreyImage& image) {
    std::vector<uint8_t> bytes;
    bytes.reserve(image.pixels.size());
    for (double g : image.pixels) bytes.push_back(toByte(g));
    return stbi_write_png(path.c_str(), image.width, image.height, kGreyChannels, bytes.data(),
                          image.width * kGreyChannels) != 0;
}
