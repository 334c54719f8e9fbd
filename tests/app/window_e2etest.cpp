// The viewer's window itself, on the virtual display: the window and context
// start-up asks for, the handlers it installs, the close flag that ends the
// loop and the clock frames read. The GL tests check the rest offscreen.
#include "app/frame_clock.h"
#include "app/frame_loop.h"
#include "camera/input.h"
#include "common/render_toggles.h"
#include "support/global_state.h"
#include "support/started_viewer.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

namespace {

struct WindowTest : testing::Test {
    StartedViewer& viewer = startedViewer(ContextKind::HiddenWindow);
    GLFWwindow* window = viewer.context.window;

    void SetUp() override { resetGlobalState(); }
    void TearDown() override { resetGlobalState(); }
};

TEST_F(WindowTest, ResizableCoreContextWindowWithOurHandlersCapturesTheCursorOnlyInFreeLook)
{
    int width = 0;
    int height = 0;
    glfwGetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_RESIZABLE), GLFW_TRUE);
    EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_OPENGL_PROFILE), GLFW_OPENGL_CORE_PROFILE);
    const int major = glfwGetWindowAttrib(window, GLFW_CONTEXT_VERSION_MAJOR);
    const int minor = glfwGetWindowAttrib(window, GLFW_CONTEXT_VERSION_MINOR);
    EXPECT_GE(major * 10 + minor, 33);
    EXPECT_EQ(glfwGetInputMode(window, GLFW_CURSOR), GLFW_CURSOR_NORMAL) << "the tour leaves the cursor free";
    onKey(window, GLFW_KEY_SPACE, 0, GLFW_RELEASE, 0);
    runFrame(viewer.context, viewer.programs);
    EXPECT_EQ(glfwGetInputMode(window, GLFW_CURSOR), GLFW_CURSOR_DISABLED) << "free look turns with it";
    onKey(window, GLFW_KEY_SPACE, 0, GLFW_RELEASE, 0);
    runFrame(viewer.context, viewer.programs);
    EXPECT_EQ(glfwGetInputMode(window, GLFW_CURSOR), GLFW_CURSOR_NORMAL);

    // Setting a handler returns the one installed before: start-up's.
    EXPECT_EQ(glfwSetKeyCallback(window, onKey), &onKey);
    EXPECT_EQ(glfwSetCursorPosCallback(window, onCursorPos), &onCursorPos);
}

TEST_F(WindowTest, EscapeSetsTheWindowsCloseFlagAndEndsTheLoop)
{
    glfwSetWindowShouldClose(window, 0);
    onKey(window, GLFW_KEY_ESCAPE, 0, GLFW_RELEASE, 0);
    EXPECT_FALSE(glfwWindowShouldClose(window));
    onKey(window, GLFW_KEY_ESCAPE, 0, GLFW_PRESS, 0);
    EXPECT_TRUE(glfwWindowShouldClose(window));
    runFrameLoop(viewer.context, viewer.programs);  // returns at once
    glfwSetWindowShouldClose(window, 0);
}

TEST_F(WindowTest, FrameTimesFollowTheWindowSystemClock)
{
    glfwSetTime(2.0);
    lastFrame = 1.5f;
    runFrame(viewer.context, viewer.programs);
    EXPECT_NEAR(deltaTime, 0.5f, 0.05f);
    EXPECT_NEAR(lastFrame, 2.0f, 0.05f);
}

}  // namespace
