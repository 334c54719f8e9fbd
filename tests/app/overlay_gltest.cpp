// The overlay leaves no trace: a frame rendered after it was shown and
// hidden again is, pixel for pixel, the frame that never saw it. On a
// doubled desktop its text is drawn twice as large.
#include "app/overlay.h"
#include "app/scene.h"
#include "app/viewer.h"
#include "common/frame_size.h"
#include "common/render_toggles.h"
#include "common/window.h"
#include "support/global_state.h"
#include "support/started_viewer.h"
#include "support/worker_program.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<unsigned char> frameAt(const Viewer& viewer, double clockTime)
{
    restartTour();
    renderScriptedFrame(viewer, ScriptedFrame{clockTime, RenderToggles{}, std::nullopt});
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kWindowWidth) * kWindowHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWindowWidth, kWindowHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::size_t differingPixels(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    std::size_t differing = 0;
    for (std::size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) {
        differing += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2] ? 1 : 0;
    }
    return differing;
}

TEST(OverlayGL, FrameAfterShowingAndHidingItIsTheFrameNeverShownIt)
{
    StartedViewer& viewer = startedViewer();
    resetGlobalState();
    ASSERT_TRUE(composeScene(kWorkerProgram));
    constexpr double kClockTime = 3.0;

    const std::vector<unsigned char> never = frameAt(viewer, kClockTime);
    overlayShown = true;
    // Twice: the timer's queries and the overlay's own objects exist from
    // the first, and the second draws with all of them.
    frameAt(viewer, kClockTime);
    const std::vector<unsigned char> shown = frameAt(viewer, kClockTime);
    overlayShown = false;
    const std::vector<unsigned char> after = frameAt(viewer, kClockTime);

    EXPECT_NE(shown, never) << "the overlay drew nothing";
    EXPECT_TRUE(after == never) << "the frame after the overlay differs from the frame without it";

    // Twice the size each way covers about four times the pixels (the
    // panels are clipped by the frame's edge, so a little less).
    overlayShown = true;
    contentScale = 2.0f;
    frameAt(viewer, kClockTime);
    const std::vector<unsigned char> doubled = frameAt(viewer, kClockTime);
    EXPECT_GT(differingPixels(doubled, never), 3 * differingPixels(shown, never));
    closeOverlay();
    clearScene();
    resetGlobalState();
}

}  // namespace
