// Coarse checks of what the real binary shows on the virtual display: a
// lit, red-washed hallway that fills the window and moves over time.
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

TEST(RenderedFrame, ShowsARedLitHallwayThatFillsTheWindowAndMoves)
{
    SKIP_WITHOUT_XDOTOOL();
    ViewerProcess viewer;
    ASSERT_TRUE(viewer.startAndWaitForFirstFrame());
    const RgbImage& first = viewer.firstFrame();
    ASSERT_EQ(first.width, 1280);
    ASSERT_EQ(first.height, 720);

    std::set<int> colours;
    size_t clearColourPixels = 0;
    for (size_t i = 0; i < first.rgb.size(); i += 3) {
        const int r = first.rgb[i];
        const int g = first.rgb[i + 1];
        const int b = first.rgb[i + 2];
        colours.insert((r << 16) | (g << 8) | b);
        // The lighting pass's clear colour shows only through gaps.
        if (std::abs(r - 115) <= 2 && std::abs(g - 217) <= 2 && std::abs(b - 115) <= 2) {
            ++clearColourPixels;
        }
    }
    EXPECT_GT(colours.size(), 500u) << "the frame is (nearly) one flat colour";
    EXPECT_EQ(clearColourPixels, 0u) << "the clear colour shows through the hallway";
    EXPECT_GT(meanChannel(first, 0), meanChannel(first, 1)) << "red does not dominate";
    EXPECT_GT(meanChannel(first, 0), meanChannel(first, 2)) << "red does not dominate";

    const auto moved = [&first](const RgbImage& later) { return changedValues(first, later) > first.rgb.size() / 20; };
    EXPECT_FALSE(viewer.waitForFrame(moved, kMotionSeconds).empty())
        << "the frame does not change over " << kMotionSeconds << " s";

    viewer.sendKey("Escape");
    EXPECT_EQ(viewer.waitForExit(kViewerExitSeconds), 0);
}

}  // namespace
