// The overlay leaves no trace: a frame rendered after it was shown and
// hidden again is, pixel for pixel, the frame that never saw it.
#include "app/overlay.h"
#include "app/scene.h"
#include "app/viewer.h"
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
    closeOverlay();
    clearScene();
    resetGlobalState();
}

}  // namespace
