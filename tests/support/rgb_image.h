// An RGB image in memory, read from and written to PNG, and halved in each
// direction: the reference images are kept and compared at half size.
#pragma once

#include <stb_image.h>
#include <stb_image_write.h>

#include <cstdlib>
#include <string>
#include <vector>

constexpr int kRgbChannels = 3;

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows top to bottom, as in the PNG

    bool empty() const { return rgb.empty(); }
    const unsigned char* pixel(int x, int y) const
    {
        return &rgb[(static_cast<size_t>(y) * width + x) * kRgbChannels];
    }
    unsigned char* pixel(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * kRgbChannels]; }
};

// The mean of one channel (0 red, 1 green, 2 blue) over the image; 0 for
// an empty one.
inline double meanChannel(const RgbImage& image, int channel)
{
    double sum = 0.0;
    for (size_t i = channel; i < image.rgb.size(); i += kRgbChannels) {
        sum += image.rgb[i];
    }
    return image.empty() ? 0.0 : sum / static_cast<double>(image.rgb.size() / kRgbChannels);
}

// An empty image when the file is missing or not an image.
inline RgbImage loadPng(const std::string& path)
{
    RgbImage image;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, kRgbChannels);
    if (pixels != nullptr) {
        image.rgb.assign(pixels, pixels + static_cast<size_t>(image.width) * image.height * kRgbChannels);
        std::free(pixels);
    }
    return image;
}

inline bool savePng(const std::string& path, const RgbImage& image)
{
    // The flag is process-wide; other code in the test binary may have set it.
    stbi_flip_vertically_on_write(0);
    return stbi_write_png(path.c_str(), image.width, image.height, kRgbChannels, image.rgb.data(),
                          image.width * kRgbChannels) != 0;
}

// Each output pixel is the rounded mean of a 2x2 block. Averaging also evens
// out the shadow filter's per-pixel dither and single edge pixels that a
// software rasterizer on another CPU may place differently, while shadows,
// glows and objects span far more than two pixels.
inline RgbImage halved(const RgbImage& full)
{
    RgbImage half;
    half.width = full.width / 2;
    half.height = full.height / 2;
    half.rgb.resize(static_cast<size_t>(half.width) * half.height * kRgbChannels);
    for (int y = 0; y < half.height; ++y) {
        for (int x = 0; x < half.width; ++x) {
            for (int c = 0; c < kRgbChannels; ++c) {
                const int sum = full.pixel(2 * x, 2 * y)[c] + full.pixel(2 * x + 1, 2 * y)[c] +
                                full.pixel(2 * x, 2 * y + 1)[c] + full.pixel(2 * x + 1, 2 * y + 1)[c];
                half.pixel(x, y)[c] = static_cast<unsigned char>((sum + 2) / 4);
            }
        }
    }
    return half;
}
