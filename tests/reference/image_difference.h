// How far a render is from its reference image: which pixels differ by more
// than a threshold in any channel, and a picture of where they are.
#pragma once

#include "support/rgb_image.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>

// Measured on the half-size images of these frames, as the fraction of
// pixels whose largest channel difference exceeds 16 levels:
// - the same render twice: none, the files are byte-identical;
// - llvmpipe limited to SSE2 (GALLIUM_OVERRIDE_CPU_CAPS=sse2, an older CPU)
//   against this AVX-512 host: none (the largest difference is 16);
// - Mesa's softpipe, a different rasterizer altogether: at most 0.0022%;
// - what must fail: bloom off 0.83%, god rays off 6.5%, shadows off 51%,
//   the tour 50 ms later 2.0% (turn leg) to 50% (looking up at the beacon).
// Allowing 0.1% leaves a factor of 8 below the smallest fault and 45 above
// softpipe.
inline constexpr int kChannelThreshold = 16;
inline constexpr double kAllowedFractionOver = 0.001;

struct ImageDifference {
    size_t pixelsOver = 0;  // pixels whose largest channel difference exceeds the threshold
    double fractionOver = 0.0;
    int largestDifference = 0;  // over all pixels and channels
};

inline int largestChannelDifference(const unsigned char* a, const unsigned char* b)
{
    int largest = 0;
    for (int c = 0; c < kRgbChannels; ++c) {
        largest = std::max(largest, std::abs(a[c] - b[c]));
    }
    return largest;
}

// Images of different sizes, or an unreadable (empty) one, differ everywhere.
inline ImageDifference compareImages(const RgbImage& a, const RgbImage& b, int threshold)
{
    constexpr int kLargestPossible = 255;
    ImageDifference difference;
    if (a.empty() || a.width != b.width || a.height != b.height) {
        difference.pixelsOver = static_cast<size_t>(a.width) * a.height;
        difference.fractionOver = 1.0;
        difference.largestDifference = kLargestPossible;
        return difference;
    }
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            const int largest = largestChannelDifference(a.pixel(x, y), b.pixel(x, y));
            difference.largestDifference = std::max(difference.largestDifference, largest);
            if (largest > threshold) {
                ++difference.pixelsOver;
            }
        }
    }
    difference.fractionOver = static_cast<double>(difference.pixelsOver) / (static_cast<double>(a.width) * a.height);
    return difference;
}

// Pixels over the threshold in pure red over a dimmed grey copy of `a`,
// so a person sees at a glance what changed and where in the frame it is.
inline RgbImage differencePicture(const RgbImage& a, const RgbImage& b, int threshold)
{
    constexpr int kDimming = 3;
    constexpr unsigned char kOver[kRgbChannels] = {255, 0, 0};
    RgbImage picture = a;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            const unsigned char* from = a.pixel(x, y);
            unsigned char* out = picture.pixel(x, y);
            const bool over = largestChannelDifference(from, b.pixel(x, y)) > threshold;
            const int grey = (from[0] + from[1] + from[2]) / (kRgbChannels * kDimming);
            for (int c = 0; c < kRgbChannels; ++c) {
                out[c] = over ? kOver[c] : static_cast<unsigned char>(grey);
            }
        }
    }
    return picture;
}

inline bool withinTolerance(const ImageDifference& difference)
{
    return difference.fractionOver <= kAllowedFractionOver;
}

inline std::string describe(const ImageDifference& difference)
{
    std::ostringstream text;
    text << 100.0 * difference.fractionOver << "% of pixels differ by more than " << kChannelThreshold
         << " levels (allowed " << 100.0 * kAllowedFractionOver << "%), largest difference "
         << difference.largestDifference;
    return text.str();
}
