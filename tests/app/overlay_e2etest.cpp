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
// The top-right corner that holds the timings panel (a long renderer name
// wraps onto more lines, so it is given half the height).
constexpr int kTimesCornerWidth = 360;
// The bottom-left corner that holds the dials panel.
constexpr int kDialsCornerWidth = 360;
constexpr int kDialsCornerHeight = 420;
// A screenshot may catch the same frame twice while the viewer is still
// drawing the next: a picture counts as settled once several in a row,
// many frames' time, agree.
constexpr int kStillScreenshots = 5;
constexpr int kSettledScreenshots = 3;
// Taller than one line of the panel's text, shorter than two.
constexpr int kLineHeight = 20;
// The panel's rounded corners let the scene through unblended: a shadow
// that S takes away behind a corner changes those pixels as much as text.
// The text sits inside the panel's padding, further in than this.
constexpr int kPanelEdge = 7;

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
    Box inset(int by) const { return {left + by, top + by, right - by, bottom - by}; }
};

// Where within `within` `a` and `b` differ by more than `threshold`.
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

// The scene where no panel covers it: everything but the two top corners.
bool sameOutsideThePanels(const RgbImage& a, const RgbImage& b)
{
    for (int y = 0; y < a.height; ++y) {
        const bool besidePanels = y < a.height / 2;
        for (int x = 0; x < a.width; ++x) {
            const bool inKeys = y < kCornerHeight && x < kCornerWidth;
            const bool inTimes = besidePanels && x >= a.width - kTimesCornerWidth;
            const bool inDials = y >= a.height - kDialsCornerHeight && x < kDialsCornerWidth;
            if (!inKeys && !inTimes && !inDials && differ(a, b, x, y, 0)) {
                return false;
            }
        }
    }
    return true;
}

bool sameCorner(const RgbImage& a, const RgbImage& b)
{
    return changedBox(a, b, 0, kCorner).empty();
}

// The first picture that `shows` what the test waits for and that the
// next screenshots repeat, judged on the keys panel's corner and the scene
// outside the panels (the timings panel changes every frame).
RgbImage waitForSettled(ViewerProcess& viewer, const std::function<bool(const RgbImage&)>& shows, int screenshots)
{
    RgbImage previous;
    int repeats = 0;
    return viewer.waitForFrame(
        [&](const RgbImage& frame) {
            const bool same = !previous.empty() && sameCorner(frame, previous) && sameOutsideThePanels(frame, previous);
            repeats = same && shows(frame) ? repeats + 1 : 0;
            previous = frame;
            return repeats == screenshots - 1;
        },
        kFrameSeconds);
}

TEST(OverlayEndToEnd, HShowsItAndSChangesTheShadowsLineAlone)
{
    SKIP_WITHOUT_XDOTOOL();
    ViewerProcess viewer;
    ASSERT_TRUE(viewer.startAndWaitForFirstFrame());
    // Free look stops the tour, L the light: from then on frames repeat.
    viewer.sendKey("space");
    viewer.sendKey("l");
    const RgbImage still = waitForSettled(viewer, [](const RgbImage&) { return true; }, kStillScreenshots);
    ASSERT_FALSE(still.empty()) << "the scene never stood still";

    viewer.sendKey("h");
    const RgbImage shown = waitForSettled(
        viewer,
        [&still](const RgbImage& frame) { return sameOutsideThePanels(still, frame) && !sameCorner(still, frame); },
        kSettledScreenshots);
    ASSERT_FALSE(shown.empty()) << "H showed nothing in the top-left corner";
    // The keys panel: what H changed there.
    const Box panel = changedBox(still, shown, 0, kCorner);

    viewer.sendKey("s");
    const RgbImage shownOff = waitForSettled(
        viewer, [&shown](const RgbImage& frame) { return !sameOutsideThePanels(shown, frame); }, kSettledScreenshots);
    ASSERT_FALSE(shownOff.empty()) << "S changed no shadow";

    const Box text = changedBox(shown, shownOff, kTextChange, panel.inset(kPanelEdge));
    ASSERT_FALSE(text.empty()) << "the keys panel did not change with S";
    EXPECT_LT(text.bottom - text.top, kLineHeight)
        << "rows " << text.top << " to " << text.bottom << " of the panel changed: more than the shadows line";

    viewer.sendKey("Escape");
    EXPECT_EQ(viewer.waitForExit(kViewerExitSeconds), 0);
}

}  // namespace
