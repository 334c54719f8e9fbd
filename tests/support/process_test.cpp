// The process runner every end-to-end test leans on: a hung program must end
// the test with what it printed rather than hang it, and kept-apart streams
// must not leak into each other.
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/platform_skips.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(ProcessRunner, TimeoutEndsTheShellAndWhatItStartedAndKeepsTheOutput)
{
    SKIP_WITHOUT_POSIX_SHELL();
    const auto started = std::chrono::steady_clock::now();
    const ProcessResult run = runShell("echo before; sleep 60 & wait", {"", 0.5});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_TRUE(run.timedOut);
    EXPECT_EQ(run.status, -1);
    EXPECT_EQ(run.output, "before\n");
}

TEST(ProcessRunner, RunsInTheFolderGivenWithStreamsTogetherOrApart)
{
    SKIP_WITHOUT_POSIX_SHELL();
    TempDir dir;
    const ProcessResult together = runShell("pwd; echo complaint >&2; exit 3", {dir.path});
    EXPECT_EQ(together.status, 3);
    EXPECT_EQ(together.output, dir.path + "\ncomplaint\n");

    const ProcessResult apart = runShell("echo said; echo complaint >&2; kill -SEGV $$", {"", 0.0, true});
    EXPECT_EQ(apart.status, 128 + 11);
    EXPECT_EQ(apart.output, "said\n");
    EXPECT_EQ(apart.errors, "complaint\n");
    EXPECT_EQ(runProgram({"/nonexistent/program"}).status, -1);
}
