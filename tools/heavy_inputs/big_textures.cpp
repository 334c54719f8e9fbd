#include "big_textures.h"

#include <stb_image_write.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kRgb = 3;
constexpr std::uint32_t kMultiplier = 1664525u;
constexpr std::uint32_t kIncrement = 1013904223u;
constexpr int kGrainShift = 27;  // leaves 5 bits of grain: about +-16 levels
constexpr float kGrainCentre = 16.0f;
constexpr float kBase = 128.0f;
constexpr float kSwing = 90.0f;
// Cycles of the smooth pattern across the image, per channel.
constexpr float kWaves[kRgb] = {3.0f, 5.0f, 7.0f};
constexpr float kTwoPi = 6.2831853f;

unsigned char clampToByte(float value)
{
    return static_cast<unsigned char>(value < 0.0f ? 0.0f : (value > 255.0f ? 255.0f : value));
}

}  // namespace

bool writeBigTexture(const std::string& path, int size, unsigned seed)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * kRgb);
    std::uint32_t state = seed * 2654435761u + 1u;
    std::size_t at = 0;
    for (int y = 0; y < size; ++y) {
        const float v = static_cast<float>(y) / static_cast<float>(size);
        for (int x = 0; x < size; ++x) {
            const float u = static_cast<float>(x) / static_cast<float>(size);
            for (int c = 0; c < kRgb; ++c) {
                state = state * kMultiplier + kIncrement;
                const float grain = static_cast<float>(state >> kGrainShift) - kGrainCentre;
                const float shape = std::sin(kTwoPi * kWaves[c] * (u + 0.5f * v) + static_cast<float>(seed));
                pixels[at++] = clampToByte(kBase + kSwing * shape + grain);
            }
        }
    }
    return stbi_write_png(path.c_str(), size, size, kRgb, pixels.data(), size * kRgb) != 0;
}
