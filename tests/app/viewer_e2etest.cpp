// The real binary on the virtual display, driven like a person would: it
// starts quietly, keeps running when a shader file is missing, and Escape
// ends it with status 0. Without a display it says why in one line.
#include "support/messages.h"
#include "support/process.h"
#include "support/viewer_process.h"
#include "support/platform_skips.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(ViewerEndToEnd, StartsQuietlyAndEscapeExitsWithStatusZero)
{
    SKIP_WITHOUT_XDOTOOL();
    ViewerProcess viewer;
    ASSERT_TRUE(viewer.startAndWaitForFirstFrame());
    viewer.sendKey("Escape");
    EXPECT_EQ(viewer.waitForExit(kViewerExitSeconds), 0);
    EXPECT_EQ(viewer.output(), "");
}

// The shader lines come before the window's first frame; a drawn frame shows
// the viewer went on past them.
TEST(ViewerEndToEnd, MissingShaderFileIsReportedAndTheViewerKeepsRunning)
{
    SKIP_WITHOUT_XDOTOOL();
    ViewerProcess viewer;
    std::filesystem::remove(viewer.workingDirectory() + "/data/shader/BloomShader.fs");
    ASSERT_TRUE(viewer.startAndWaitForFirstFrame());
    EXPECT_EQ(viewer.output().rfind(kShaderReadFailure, 0), 0u) << viewer.output();
    EXPECT_TRUE(viewer.running());

    viewer.sendKey("Escape");
    EXPECT_EQ(viewer.waitForExit(kViewerExitSeconds), 0);
}

TEST(ViewerEndToEnd, WithoutADisplayPrintsGlfwsReasonInOneLineAndExitsWithStatusOne)
{
    SKIP_WITHOUT_POSIX_SHELL();
    ProcessOptions standardOutputOnly;
    standardOutputOnly.separateErrors = true;
    const ProcessResult run =
        runProgram({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", VORLUNE_BINARY}, standardOutputOnly);
    EXPECT_EQ(run.status, 1) << run.errors;
    const std::string line = run.output.substr(0, run.output.find('\n'));
    EXPECT_EQ(line.rfind("Vorlune cannot start: ", 0), 0u) << line;
    // GLFW's reason names the variable it found missing; the viewer's words do not.
    EXPECT_NE(line.find("DISPLAY"), std::string::npos) << line;
    EXPECT_LE(run.output.size(), line.size() + 1) << "a second line: " << run.output;
}

}  // namespace
