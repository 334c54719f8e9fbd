// The size of the page's drawing buffer: the canvas's size on the page in
// CSS pixels times the device pixel ratio, so that the picture is as sharp
// as the screen, but no larger in area than a 1080p frame, past which a
// phone's or a 4K screen's GPU spends far more per frame for little to see.
// Plain arithmetic without the browser, so the native tests check it.
#pragma once

#include "common/frame_size.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

// Full HD's area: sharp on any screen a page is usually seen at, and a
// fixed most that a frame costs the GPU however large the screen.
constexpr double kMaxCanvasPixels = 1920.0 * 1080.0;

struct CanvasFit {
    FrameSize size;
    // Device pixels per CSS pixel actually drawn: the device pixel ratio,
    // less when the area cap scaled the buffer down. Text drawn this many
    // times larger reads the same size on the page.
    double pixelRatio = 1.0;
};

// The drawing buffer for a canvas shown `cssWidth` x `cssHeight` CSS pixels
// at `devicePixelRatio`, of at most `maxPixels` pixels: both sides scaled
// down by the same factor when over, so the aspect stays. Each side is at
// least 1. Nothing when the canvas covers no area on the page (hidden, or
// sizes that are not numbers) or the cap is under a pixel: then there is
// nothing to fit, and the canvas is best left as it is. A ratio that is not
// a positive number counts as 1.
inline std::optional<CanvasFit> fitCanvas(double cssWidth, double cssHeight, double devicePixelRatio,
                                          double maxPixels = kMaxCanvasPixels)
{
    const auto positive = [](double value) { return std::isfinite(value) && value > 0.0; };
    if (!positive(cssWidth) || !positive(cssHeight) || !std::isfinite(maxPixels) || maxPixels < 1.0) {
        return std::nullopt;
    }
    double ratio = positive(devicePixelRatio) ? devicePixelRatio : 1.0;
    const double area = cssWidth * ratio * cssHeight * ratio;
    if (!std::isfinite(area)) {
        return std::nullopt;
    }
    if (area > maxPixels) {
        ratio *= std::sqrt(maxPixels / area);
    }
    // Nearest pixel; rounding both sides up can overshoot the cap by a
    // sliver, and then both are rounded down instead.
    const double width = cssWidth * ratio;
    const double height = cssHeight * ratio;
    // No side is longer than the whole area allows with the other at 1.
    const double longest = std::min(maxPixels, static_cast<double>(std::numeric_limits<int>::max()));
    const auto side = [longest](double value) { return static_cast<int>(std::clamp(value, 1.0, longest)); };
    FrameSize size{side(std::round(width)), side(std::round(height))};
    if (static_cast<double>(size.width) * size.height > maxPixels) {
        size = {side(std::floor(width)), side(std::floor(height))};
        // A canvas a pixel thin: its longer side alone may reach the cap.
        size.width = std::min(size.width, side(std::floor(maxPixels / size.height)));
        size.height = std::min(size.height, side(std::floor(maxPixels / size.width)));
    }
    return CanvasFit{size, ratio};
}
