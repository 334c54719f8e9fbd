// The key and cursor handlers' state machine: what each event changes, and
// what it must leave alone.
#include "camera/camera.h"
#include "camera/camera_tour.h"
#include "camera/input.h"
#include "common/dials.h"
#include "common/frame_size.h"
#include "common/pass_view.h"
#include "common/render_toggles.h"
#include "support/global_state.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

struct InputTest : testing::Test {
    void SetUp() override { resetGlobalState(); }
    void TearDown() override { resetGlobalState(); }

    static void tap(int key)
    {
        handleKey(key, GLFW_PRESS);
        handleKey(key, GLFW_RELEASE);
    }
};

TEST_F(InputTest, EscapeClosesOnPressOnly)
{
    EXPECT_TRUE(handleKey(GLFW_KEY_ESCAPE, GLFW_PRESS));
    EXPECT_FALSE(handleKey(GLFW_KEY_ESCAPE, GLFW_RELEASE));
    EXPECT_FALSE(handleKey(GLFW_KEY_ESCAPE, GLFW_REPEAT));
}

TEST_F(InputTest, EachSwitchFlipsOnceOnRelease)
{
    struct Binding {
        int key;
        bool* flag;
        bool initial;
    };
    const Binding bindings[] = {
        {GLFW_KEY_S, &shadowOn, true},
        {GLFW_KEY_G, &godRaysOn, true},
        {GLFW_KEY_B, &bloomOn, true},
        {GLFW_KEY_L, &lightAnimationPaused, false},
        {GLFW_KEY_H, &overlayShown, false},
        {GLFW_KEY_F, &fullscreenWanted, false},
        {GLFW_KEY_F11, &fullscreenWanted, false},
    };
    for (const Binding& b : bindings) {
        SCOPED_TRACE(b.key);
        EXPECT_EQ(*b.flag, b.initial);
        handleKey(b.key, GLFW_PRESS);
        for (int i = 0; i < 5; ++i) {
            handleKey(b.key, GLFW_REPEAT);
        }
        EXPECT_EQ(*b.flag, b.initial) << "press and repeats change nothing";
        handleKey(b.key, GLFW_RELEASE);
        EXPECT_EQ(*b.flag, !b.initial);
        tap(b.key);
        EXPECT_EQ(*b.flag, b.initial);
    }
}

TEST_F(InputTest, VStepsThroughThePassViewsOnReleaseAndBackToTheFrame)
{
    for (PassView view : {PassView::Frame, PassView::GodRays, PassView::BloomBright, PassView::BloomBlur,
                          PassView::ShadowMap}) {
        EXPECT_EQ(passView, view);
        EXPECT_EQ(passViewShown, view != PassView::Frame);
        handleKey(GLFW_KEY_V, GLFW_PRESS);
        handleKey(GLFW_KEY_V, GLFW_REPEAT);
        EXPECT_EQ(passView, view) << "press and repeats change nothing";
        handleKey(GLFW_KEY_V, GLFW_RELEASE);
    }
    EXPECT_EQ(passView, PassView::Frame);
    EXPECT_FALSE(passViewShown);
}

TEST_F(InputTest, ArrowsAndBackspaceTurnTheDialsOnPressAndRepeatOnlyWhileTheOverlayIsShown)
{
    chosenDial = kDialGodRaySamples;
    tap(GLFW_KEY_RIGHT);
    EXPECT_TRUE(dialAtDefault(kDialGodRaySamples)) << "the overlay is hidden";

    overlayShown = true;
    handleKey(GLFW_KEY_RIGHT, GLFW_PRESS);
    handleKey(GLFW_KEY_RIGHT, GLFW_REPEAT);
    handleKey(GLFW_KEY_RIGHT, GLFW_RELEASE);
    EXPECT_EQ(dialValue(kDialGodRaySamples), dialInfo(kDialGodRaySamples).byDefault + 2.0f);
    tap(GLFW_KEY_DOWN);
    tap(GLFW_KEY_LEFT);
    tap(GLFW_KEY_BACKSPACE);
    EXPECT_TRUE(dialAtDefault(kDialGodRaySourceRadius));
    EXPECT_FALSE(dialAtDefault(kDialGodRaySamples)) << "Backspace reset more than the chosen dial";
    handleKey(GLFW_KEY_BACKSPACE, GLFW_PRESS, GLFW_MOD_SHIFT);
    EXPECT_TRUE(dialAtDefault(kDialGodRaySamples));
}

TEST_F(InputTest, UnknownKeysChangeNothing)
{
    for (int key : {GLFW_KEY_UNKNOWN, GLFW_KEY_A, GLFW_KEY_W, GLFW_KEY_ENTER}) {
        EXPECT_FALSE(handleKey(key, GLFW_PRESS));
        EXPECT_FALSE(handleKey(key, GLFW_RELEASE));
    }
    EXPECT_TRUE(shadowOn && godRaysOn && bloomOn);
    EXPECT_FALSE(lightAnimationPaused || cameraTour.freeLook || fullscreenWanted);
}

TEST_F(InputTest, CursorDuringTourIsIgnoredCompletely)
{
    handleCursor(1000.0, -50.0);
    EXPECT_TRUE(awaitingFirstCursor);
    EXPECT_FLOAT_EQ(lastCursorX, 400.0f);
    EXPECT_FLOAT_EQ(lastCursorY, 300.0f);
    EXPECT_FLOAT_EQ(camera.yaw, 0.0f);
}

TEST_F(InputTest, FirstCursorInFreeLookOnlyRecordsPosition)
{
    tap(GLFW_KEY_SPACE);
    ASSERT_TRUE(cameraTour.freeLook);
    handleCursor(1000.0, 20.0);
    EXPECT_FALSE(awaitingFirstCursor);
    EXPECT_FLOAT_EQ(camera.yaw, 0.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 0.0f);

    // Right and up turn right and up, a quarter degree per unit.
    handleCursor(1040.0, 12.0);
    EXPECT_FLOAT_EQ(camera.yaw, 10.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 2.0f);
}

TEST_F(InputTest, LeavingFreeLookLevelsCameraButKeepsHeading)
{
    tap(GLFW_KEY_SPACE);
    handleCursor(0.0, 0.0);
    handleCursor(100.0, -100.0);
    ASSERT_FLOAT_EQ(camera.pitch, 25.0f);
    tap(GLFW_KEY_SPACE);
    EXPECT_FALSE(cameraTour.freeLook);
    EXPECT_FLOAT_EQ(camera.pitch, 0.0f);
    EXPECT_FLOAT_EQ(camera.yaw, 25.0f);
    EXPECT_NEAR(camera.front.y, 0.0f, 1e-6f);
}

TEST_F(InputTest, ReenteringFreeLookTurnsByTravelSinceLastHandledEvent)
{
    tap(GLFW_KEY_SPACE);
    handleCursor(100.0, 100.0);
    tap(GLFW_KEY_SPACE);
    handleCursor(500.0, 100.0);  // ignored: touring
    tap(GLFW_KEY_SPACE);
    handleCursor(140.0, 100.0);
    EXPECT_FLOAT_EQ(camera.yaw, 10.0f);
}

TEST_F(InputTest, TurnByTurnsOnlyInFreeLookAndLeavesTheCursorAlone)
{
    turnBy(40.0, -8.0);
    EXPECT_FLOAT_EQ(camera.yaw, 0.0f);
    tap(GLFW_KEY_SPACE);
    handleCursor(100.0, 100.0);
    turnBy(40.0, -8.0);
    EXPECT_FLOAT_EQ(camera.yaw, 10.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 2.0f);
    turnBy(std::nan(""), 4.0);
    turnBy(4.0, INFINITY);
    EXPECT_FLOAT_EQ(camera.yaw, 10.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 2.0f);
    // The cursor still turns from where it was last, not from the delta.
    handleCursor(104.0, 100.0);
    EXPECT_FLOAT_EQ(camera.yaw, 11.0f);
}

TEST_F(InputTest, FreeLookFreezesTourAndReleaseResumes)
{
    cameraTour.tourClock = 3.0f;
    tap(GLFW_KEY_SPACE);
    cameraTour.step(camera, 1.0f);
    EXPECT_FLOAT_EQ(cameraTour.tourClock, 3.0f);
    tap(GLFW_KEY_SPACE);
    cameraTour.step(camera, 1.0f);
    EXPECT_FLOAT_EQ(cameraTour.tourClock, 4.0f);
}

}  // namespace
