// The overlay in the real viewer's window: H shows it, and with the scene
// standing still, S changes the shadows line and no other line of the keys
// panel.
#include "support/platform_skips.h"
#include "support/viewer_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr double kFrameSeconds = 120.0;
// The top-left corner, where the keys panel sits; the timings panel, whose
// figures change every frame, is at the other end of the top.
constexpr int kCornerWidth = 320;
constexpr int kCornerHeight = 220;
constexpr int kStillScreenshots = 5;
// Taller than one line of the panel's text, shorter than two.
constexpr int kLineHeight = 20;

// What the scene behind the panel can change through it (a tenth of the
// full range, the panel's transparency) is less than this; the text's own
// colours differ by far more.
constexpr int kTextChange = 48;

bool differ(const RgbImage& a, const RgbImage& b, int x, int y, int threshold)
{
    for (int c = 0; c < kRgbChannels; ++c) {
        if (std::abs(a.pixel(x, y)[c] - b.pixel(x, y)[c]) > threshold) {
            return true;
        }
    }
    return false;
}

struct Box {
    int left = kCornerWidth, top = kCornerHeight, right = -1, bottom = -1;
    bool empty() const { return right < left; }
};

// Where in the top-left corner `a` and `b` differ by more than `threshold`.
Box changedBox(const RgbImage& a, const RgbImage& b, int threshold, const Box& within)
{
    Box box;
    for (int y = within.top; y <= within.bottom; ++y) {
        for (int x = within.left; x <= within.right; ++x) {
            if (differ(a, b, x, y, threshold)) {
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
            }
        }
    }
    return box;
}

const Box kCorner{0, 0, kCornerWidth - 1, kCornerHeight - 1};

bool sameBelowThePanels(const RgbImage& a, const RgbImage& b)
{
    const std::size_t from = static_cast<std::size_t>(a.width) * (a.height / 2) * kRgbChannels;
    return std::equal(a.rgb.begin() + static_cast<std::ptrdiff_t>(from), a.rgb.end(),
                      b.rgb.begin() + static_cast<std::ptrdiff_t>(from));
}

TEST(OverlayEndToEnd, HShowsItAndSChangesTheShadowsLineAlone)
{
    SKIP_WITHOUT_XDOTOOL();
    ViewerProcess viewer;
    ASSERT_TRUE(viewer.startAndWaitForFirstFrame());
    // Free look stops the tour, L the light: from then on frames repeat.
    viewer.sendKey("space");
    viewer.sendKey("l");
    // A screenshot may catch the same frame twice while the viewer is still
    // drawing the next: the scene counts as still once several in a row,
    // many frames' time, are the same.
    RgbImage previous;
    int repeats = 0;
    const RgbImage still = viewer.waitForFrame(
        [&previous, &repeats](const RgbImage& frame) {
            repeats = !previous.empty() && frame.rgb == previous.rgb ? repeats + 1 : 0;
            previous = frame;
            return repeats == kStillScreenshots;
        },
        kFrameSeconds);
    ASSERT_FALSE(still.empty()) << "the scene never stood still";

    viewer.sendKey("h");
    const RgbImage shown = viewer.waitForFrame(
        [&still](const RgbImage& frame) {
            return sameBelowThePanels(still, frame) && !changedBox(still, frame, 0, kCorner).empty();
        },
        kFrameSeconds);
    ASSERT_FALSE(shown.empty()) << "H showed nothing in the top-left corner";
    // The keys panel: what H changed there.
    const Box panel = changedBox(still, shown, 0, kCorner);

    viewer.sendKey("s");
    const RgbImage shownOff = viewer.waitForFrame(
        [&shown](const RgbImage& frame) { return !sameBelowThePanels(shown, frame); }, kFrameSeconds);
    ASSERT_FALSE(shownOff.empty()) << "S changed no shadow";

    const Box text = changedBox(shown, shownOff, kTextChange, panel);
    ASSERT_FALSE(text.empty()) << "the keys panel did not change with S";
    EXPECT_LT(text.bottom - text.top, kLineHeight)
        << "rows " << text.top << " to " << text.bottom << " of the panel changed: more than the shadows line";

    viewer.sendKey("Escape");
    EXPECT_EQ(viewer.waitForExit(kViewerExitSeconds), 0);
}

}  // namespace
