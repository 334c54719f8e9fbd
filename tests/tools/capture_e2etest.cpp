// The capture program as a user meets it: clear refusals for bad arguments,
// no data/ folder anywhere, frames that cannot be written or no way to a GL
// context, images with or without a display, and identical images from
// identical runs that touch nothing but its own files.
#include "common/system_path.h"
#include "support/files.h"
#include "support/process.h"
#include "support/rgb_image.h"
#include "support/temp_dir.h"
#include "support/platform_skips.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr int kUsageError = 2;
constexpr int kFailure = 1;

// `environment` is an env(1) command line to run it under, if any.
ProcessResult capture(const std::string& workingDirectory, const std::string& arguments,
                      const std::string& environment = "", const std::string& program = VORLUNE_CAPTURE)
{
    return runShell(environment + " '" + program + "' " + arguments, {workingDirectory});
}

TEST(CaptureProgram, BadArgumentsGetOneLineAndTheUsage)
{
    SKIP_WITHOUT_POSIX_SHELL();
    const char* bad[] = {"", "--shadows", "--shadows maybe 1.0", "2.0 1.0", "-1", "soon", "--prefix ../x 1",
                         "--free-look 10 1", "--colour red 1"};
    for (const char* arguments : bad) {
        SCOPED_TRACE(arguments);
        const ProcessResult run = capture(VORLUNE_SOURCE_DIR, arguments);
        EXPECT_EQ(run.status, kUsageError);
        EXPECT_EQ(run.output.rfind("capture: ", 0), 0u) << run.output;
        EXPECT_NE(run.output.find("usage: capture"), std::string::npos);
    }
}

TEST(CaptureProgram, RefusesToRunWithNoDataAnywhere)
{
    SKIP_WITHOUT_POSIX_SHELL();
    TempDir elsewhere;
    TempDir alone;
    std::filesystem::copy_file(VORLUNE_CAPTURE, alone.file("capture"));
    const ProcessResult run = capture(elsewhere.path, "1.0", "", alone.file("capture"));
    EXPECT_EQ(run.status, kFailure);
    EXPECT_EQ(run.output.rfind("capture: cannot find its data", 0), 0u) << run.output;
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path));
}

// Each failure is one line naming the path and the system's reason, with
// status 1: no abort, and no frame path printed for a file cut short.
TEST(CaptureProgram, FramesThatCannotBeWrittenFailWithOneLine)
{
    SKIP_WITHOUT_POSIX_SHELL();
    TempDir dir;
    dir.write("plain-file", "not a folder");
    std::filesystem::create_directory(dir.file("full"));
    std::filesystem::create_symlink("/dev/full", dir.file("full/frame-000.png"));
    std::filesystem::create_directory(dir.file("gone"));
    const struct {
        std::string workingDirectory;
        std::string arguments;
        std::string environment;
        std::string line;
    } cases[] = {
        {VORLUNE_SOURCE_DIR, "--out '" + dir.file("plain-file/frames") + "' 1.0", "",
         "capture: cannot create the output folder " + dir.file("plain-file/frames") + ": Not a directory"},
        {VORLUNE_SOURCE_DIR, "--out '" + dir.file("full") + "' 1.0", "",
         "capture: cannot write " + dir.file("full/frame-000.png") + ": No space left on device"},
        // Started in a folder since removed, the default output folder has no place.
        {dir.file("gone"), "1.0", "rmdir \"$PWD\" &&",
         "capture: cannot place the output folder capture: No such file or directory"},
    };
    for (const auto& c : cases) {
        const ProcessResult run = capture(c.workingDirectory, c.arguments, c.environment);
        EXPECT_EQ(run.status, kFailure);
        EXPECT_EQ(run.output, c.line + "\n");
    }
    EXPECT_EQ(readFile(dir.file("plain-file")), "not a folder");
}

TEST(CaptureProgram, WithoutADisplayRendersOffscreen)
{
    SKIP_WITHOUT_POSIX_SHELL();
    TempDir out;
    const ProcessResult run = capture(VORLUNE_SOURCE_DIR, "--out '" + out.path + "' 1.0", "env -u DISPLAY");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, out.file("frame-000.png") + "\n");
    EXPECT_GT(readFile(out.file("frame-000.png")).size(), 100000u);
}

// With no vendor library EGL offers no platform, and without a display there
// is no window either: one line says so.
TEST(CaptureProgram, WithNeitherADisplayNorEGLFailsWithOneLine)
{
    SKIP_WITHOUT_POSIX_SHELL();
    TempDir out;
    const ProcessResult run = capture(VORLUNE_SOURCE_DIR, "--out '" + out.path + "' 1.0",
                                   "env -u DISPLAY __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json");
    EXPECT_EQ(run.status, kFailure);
    EXPECT_EQ(run.output.rfind("Vorlune cannot start: ", 0), 0u) << run.output;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
    EXPECT_TRUE(std::filesystem::is_empty(out.path));
}

// A size of another shape than the window's, where the frame was once read
// back at the window's size: the hidden window and the pbuffer both take it,
// and draw the same pixels there as they do at the starting size.
TEST(CaptureProgram, RendersAtTheSizeAskedOnEitherPath)
{
    SKIP_WITHOUT_POSIX_SHELL();
    TempDir out;
    const std::string arguments = "--out '" + out.path + "' --size 800x600 1.0 --prefix ";
    const ProcessResult window = capture(VORLUNE_SOURCE_DIR, arguments + "window");
    const ProcessResult offscreen = capture(VORLUNE_SOURCE_DIR, arguments + "offscreen", "env -u DISPLAY");
    ASSERT_EQ(window.status, 0) << window.output;
    ASSERT_EQ(offscreen.status, 0) << offscreen.output;
    const RgbImage image = loadPng(out.file("window-000.png"));
    EXPECT_EQ(image.width, 800);
    EXPECT_EQ(image.height, 600);
    EXPECT_EQ(readFile(out.file("window-000.png")), readFile(out.file("offscreen-000.png")));
}

TEST(CaptureProgram, SameArgumentsGiveIdenticalImagesAndOtherFilesStay)
{
    SKIP_WITHOUT_POSIX_SHELL();
    TempDir first;
    TempDir second;
    first.write("notes.txt", "keep me");
    const std::string arguments = " --prefix tour --bloom off 1.0 4.6";
    const ProcessResult a = capture(VORLUNE_SOURCE_DIR, "--out '" + first.path + "'" + arguments);
    const ProcessResult b = capture(VORLUNE_SOURCE_DIR, "--out '" + second.path + "'" + arguments);
    ASSERT_EQ(a.status, 0) << a.output;
    ASSERT_EQ(b.status, 0) << b.output;
    EXPECT_EQ(a.output, first.file("tour-000.png") + "\n" + first.file("tour-001.png") + "\n");

    for (const char* name : {"tour-000.png", "tour-001.png"}) {
        const std::string image = readFile(first.file(name));
        EXPECT_GT(image.size(), 100000u) << name;
        EXPECT_EQ(image, readFile(second.file(name))) << name;
    }
    EXPECT_NE(readFile(first.file("tour-000.png")), readFile(first.file("tour-001.png")));
    EXPECT_EQ(readFile(first.file("notes.txt")), "keep me");
}

// A user's folders may be named in any script: here the program and its data
// sit in one such folder, it is started from another, and the frames go into
// a third named relative to the start, so the data folder is found beside the
// program and every path crosses the system's boundary in UTF-8 (on Windows
// the command line too, which argv cannot carry).
TEST(CaptureProgram, RunsFromFoldersNamedOutsideAscii)
{
    namespace fs = std::filesystem;
    TempDir dir;
    const fs::path install = pathFromUtf8(dir.file("données 雪"));
    const fs::path start = pathFromUtf8(dir.file("départ 雪"));
    fs::create_directories(start);
    fs::create_directories(install);
    fs::copy(pathFromUtf8(std::string(VORLUNE_SOURCE_DIR) + "/data"), install / "data", fs::copy_options::recursive);
    const fs::path program = install / fs::path(VORLUNE_CAPTURE).filename();
    fs::copy_file(VORLUNE_CAPTURE, program);
    fs::copy_file(VORLUNE_WORKER, install / fs::path(VORLUNE_WORKER).filename());

    const ProcessResult run = runProgram({utf8FromPath(program), "--out", "images é", "1.0"}, {utf8FromPath(start)});
    ASSERT_EQ(run.status, 0) << run.output;
    const fs::path image = start / pathFromUtf8("images é") / "frame-000.png";
    ASSERT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
    EXPECT_TRUE(fs::equivalent(pathFromUtf8(run.output.substr(0, run.output.size() - 1)), image)) << run.output;
    EXPECT_GT(readFile(image).size(), 100000u);
}

}  // namespace
