// The per-pass timer as GL answers it: results for the passes that ran and
// none for those that did not, read without waiting for the frame.
#include "app/frame_loop.h"
#include "common/render_toggles.h"
#include "render/lighting_pass.h"
#include "render/pass_table.h"
#include "render/pass_timer.h"
#include "render/shadow_pass.h"
#include "support/global_state.h"
#include "support/started_viewer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

constexpr int kFrames = 12;

TEST(PassTimerGL, TimesThePassesThatRanWithinTheWallClock)
{
    StartedViewer& viewer = startedViewer();
    resetGlobalState();
    shadowOn = false;
    PassTimer timer;
    ASSERT_TRUE(timer.available());

    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFrames; ++i) {
        renderFrame(viewer.programs, &timer);
        glFlush();
    }
    glFinish();
    const double wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    timer.collect();

    for (const RenderPass* pass : passTable()) {
        SCOPED_TRACE(pass->name);
        if (!passRuns(*pass)) {
            EXPECT_EQ(timer.resultCount(*pass), 0u);
            EXPECT_FALSE(timer.milliseconds(*pass));
            continue;
        }
        // A frame whose queries were all still waiting goes untimed; none
        // is read twice.
        EXPECT_GE(timer.resultCount(*pass), 1u);
        EXPECT_LE(timer.resultCount(*pass), static_cast<std::size_t>(kFrames));
        ASSERT_TRUE(timer.milliseconds(*pass));
        EXPECT_GE(*timer.milliseconds(*pass), 0.0);
        EXPECT_LT(*timer.milliseconds(*pass) * kFrames, wallMs);
    }

    // Forgotten results do not come back; the next frame's do.
    timer.forgetResults();
    EXPECT_EQ(timer.resultCount(lightingPass), 0u);
    renderFrame(viewer.programs, &timer);
    glFinish();
    timer.collect();
    EXPECT_EQ(timer.resultCount(lightingPass), 1u);
    resetGlobalState();
}

}  // namespace
