// Coarse checks of what the real binary shows on the virtual display: a
// lit, red-washed hallway that fills the window, moves over time and fills
// it again at another size.
#include "support/viewer_process.h"
#include "support/platform_skips.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

namespace {

// The tour moves the camera on every frame; a frame drawn later differs
// from the first in a good share of its pixels once the viewer has drawn a
// few more, which on a loaded machine may take a while.
constexpr double kMotionSeconds = 120.0;
constexpr int kChangedLevels = 8;

size_t changedValues(const RgbImage& a, const RgbImage& b)
{
    size_t changed = 0;
    for (size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i) {
        changed += std::abs(a.rgb[i] - b.rgb[i]) > kChangedLevels ? 1 : 0;
    }
    return changed;
}

// Pixels of the lighting pass's clear colour, which shows only through gaps
// (or where a frame does not reach), and of black, which no lit wall is.
struct UnfilledPixels {
    size_t clearColour = 0;
    size_t black = 0;
};

UnfilledPixels unfilledPixels(const RgbImage& image)
{
    UnfilledPixels unfilled;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
        const int r = image.rgb[i];
        const int g = image.rgb[i + 1];
        const int b = image.rgb[i + 2];
        unfilled.clearColour += std::abs(r - 115) <= 2 && std::abs(g - 217) <= 2 && std::abs(b - 115) <= 2 ? 1 : 0;
        unfilled.black += r + g + b == 0 ? 1 : 0;
    }
    return unfilled;
}

TEST(RenderedFrame, ShowsARedLitHallwayThatFillsTheWindowMovesAndFillsItAgainResized)
{
    SKIP_WITHOUT_XDOTOOL();
    ViewerProcess viewer;
    ASSERT_TRUE(viewer.startAndWaitForFirstFrame());
    const RgbImage& first = viewer.firstFrame();
    ASSERT_EQ(first.width, 1280);
    ASSERT_EQ(first.height, 720);

    std::set<int> colours;
    for (size_t i = 0; i < first.rgb.size(); i += 3) {
        colours.insert((first.rgb[i] << 16) | (first.rgb[i + 1] << 8) | first.rgb[i + 2]);
    }
    EXPECT_GT(colours.size(), 500u) << "the frame is (nearly) one flat colour";
    EXPECT_EQ(unfilledPixels(first).clearColour, 0u) << "the clear colour shows through the hallway";
    EXPECT_GT(meanChannel(first, 0), meanChannel(first, 1)) << "red does not dominate";
    EXPECT_GT(meanChannel(first, 0), meanChannel(first, 2)) << "red does not dominate";

    const auto moved = [&first](const RgbImage& later) { return changedValues(first, later) > first.rgb.size() / 20; };
    EXPECT_FALSE(viewer.waitForFrame(moved, kMotionSeconds).empty())
        << "the frame does not change over " << kMotionSeconds << " s";

    // Taller than 16:9 and larger: a frame still drawn at the old size would
    // leave black or clear colour along the top and the right.
    constexpr int kResizedWidth = 1000;
    constexpr int kResizedHeight = 800;
    viewer.resizeWindow(kResizedWidth, kResizedHeight);
    const auto filled = [](const RgbImage& frame) {
        const UnfilledPixels unfilled = unfilledPixels(frame);
        return frame.width == kResizedWidth && frame.height == kResizedHeight && unfilled.clearColour == 0 &&
               unfilled.black < frame.rgb.size() / 3 / 1000;
    };
    EXPECT_FALSE(viewer.waitForFrame(filled, kMotionSeconds).empty())
        << "no frame fills the window resized to " << kResizedWidth << "x" << kResizedHeight;

    viewer.sendKey("Escape");
    EXPECT_EQ(viewer.waitForExit(kViewerExitSeconds), 0);
}

}  // namespace
