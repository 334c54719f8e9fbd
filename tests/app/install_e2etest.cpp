// The installed programs as a user meets them: started from an unrelated
// folder they find their data and draw the hallway; a lone copy with no
// data anywhere refuses in one line.
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/viewer_process.h"
#include "support/platform_skips.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

bool installInto(const std::string& prefix)
{
    return runProgram({VORLUNE_CMAKE, "--install", VORLUNE_BUILD_DIR, "--prefix", prefix}).status == 0;
}

// A window without its shaders shows only the lighting pass's clear colour.
bool showsTheHallway(const RgbImage& image)
{
    const std::vector<unsigned char>& rgb = image.rgb;
    size_t clearColour = 0, edges = 0;
    for (size_t i = kRgbChannels; i < rgb.size(); i += kRgbChannels) {
        clearColour += std::abs(rgb[i] - 115) <= 2 && std::abs(rgb[i + 1] - 217) <= 2 && std::abs(rgb[i + 2] - 115) <= 2;
        edges += rgb[i] != rgb[i - kRgbChannels];
    }
    return !image.empty() && clearColour == 0 && edges > static_cast<size_t>(image.width * image.height / 4);
}

TEST(InstalledPrograms, StartedFromAnUnrelatedFolderTheyDrawTheHallway)
{
    SKIP_WITHOUT_LINUX_INSTALL();
    TempDir prefix, home;
    ASSERT_TRUE(installInto(prefix.path));
    ViewerProcess viewer(prefix.file("bin/vorlune"), home.path);
    ASSERT_TRUE(viewer.startAndWaitForFirstFrame());
    EXPECT_TRUE(showsTheHallway(viewer.firstFrame()));
    viewer.sendKey("Escape");
    EXPECT_EQ(viewer.waitForExit(kViewerExitSeconds), 0);
    EXPECT_EQ(viewer.output(), "");

    // A relative output folder is one in the folder the capture started in.
    EXPECT_EQ(runProgram({prefix.file("bin/vorlune-capture"), "--out", "f", "2"}, {home.path}).status, 0);
    EXPECT_TRUE(showsTheHallway(loadPng(home.file("f/frame-000.png"))));
}

TEST(InstalledPrograms, ALoneCopyWithNoDataAnywhereExitsWithOneLine)
{
    SKIP_WITHOUT_LINUX_INSTALL();
    TempDir prefix, alone, empty;
    ASSERT_TRUE(installInto(prefix.path));
    std::filesystem::copy_file(prefix.file("bin/vorlune"), alone.file("vorlune"));
    ProcessOptions fromEmptyFolder;
    fromEmptyFolder.workingDirectory = empty.path;
    fromEmptyFolder.separateErrors = true;
    const ProcessResult run = runProgram({alone.file("vorlune")}, fromEmptyFolder);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "");
    const std::string& err = run.errors;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_NE(err.find("looked for data/shader/ in " + empty.path + ", " + alone.path + " and "), std::string::npos)
        << err;
}

}  // namespace
