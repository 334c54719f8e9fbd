// The installed programs as a user meets them: installed into a fresh
// prefix and started from an unrelated folder, they find their data and
// draw the hallway; a lone copy with no data anywhere refuses in one line.
#include "support/viewer_process.h"

#include <stb_image.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <sys/wait.h>

namespace {

constexpr double kStartSeconds = 60.0;
constexpr double kExitSeconds = 30.0;

bool installInto(const std::string& prefix)
{
    const std::string command = std::string("'") + VORLUNE_CMAKE + "' --install '" + VORLUNE_BUILD_DIR +
                                "' --prefix '" + prefix + "' >/dev/null";
    return std::system(command.c_str()) == 0;
}

// Without its shaders the window shows nothing but the lighting pass's
// clear colour; the hallway fills every pixel with many colours.
bool showsTheHallway(const std::string& png)
{
    int width = 0, height = 0, channels = 0;
    unsigned char* rgb = stbi_load(png.c_str(), &width, &height, &channels, 3);
    if (rgb == nullptr) {
        return false;
    }
    size_t clearColour = 0, changes = 0;
    for (int i = 0; i < width * height * 3; i += 3) {
        clearColour += std::abs(rgb[i] - 115) <= 2 && std::abs(rgb[i + 1] - 217) <= 2 && std::abs(rgb[i + 2] - 115) <= 2;
        changes += i > 0 && rgb[i] != rgb[i - 3];
    }
    free(rgb);
    return clearColour == 0 && changes > static_cast<size_t>(width * height / 4);
}

std::string contents(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(InstalledPrograms, StartedFromAnUnrelatedFolderTheyDrawTheHallway)
{
    TempDir prefix;
    TempDir home;
    ASSERT_TRUE(installInto(prefix.path));

    ViewerProcess viewer(prefix.file("bin/vorlune"), home.path);
    ASSERT_TRUE(viewer.start());
    ASSERT_TRUE(viewer.waitForWindow(kStartSeconds));
    bool hallway = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!hallway && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        hallway = viewer.screenshot(prefix.file("window.png")) && showsTheHallway(prefix.file("window.png"));
    }
    EXPECT_TRUE(hallway);
    viewer.sendKey("Escape");
    EXPECT_EQ(viewer.waitForExit(kExitSeconds), 0);
    EXPECT_EQ(viewer.output(), "");

    // A relative output folder is one in the folder the capture started in.
    const std::string capture = "cd '" + home.path + "' && '" + prefix.file("bin/vorlune-capture") + "' --out frames 2.0";
    EXPECT_EQ(std::system((capture + " >/dev/null").c_str()), 0);
    EXPECT_TRUE(showsTheHallway(home.file("frames/frame-000.png")));
}

TEST(InstalledPrograms, ALoneCopyWithNoDataAnywhereExitsWithOneLine)
{
    TempDir prefix;
    TempDir alone;
    TempDir empty;
    ASSERT_TRUE(installInto(prefix.path));
    std::filesystem::copy_file(prefix.file("bin/vorlune"), alone.file("vorlune"));

    const std::string command = "cd '" + empty.path + "' && '" + alone.file("vorlune") + "' >'" + alone.file("out") +
                                "' 2>'" + alone.file("err") + "'";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_EQ(contents(alone.file("out")), "");
    const std::string error = contents(alone.file("err"));
    EXPECT_EQ(error.find('\n'), error.size() - 1) << error;
    EXPECT_EQ(error.rfind("vorlune: cannot find its data (looked for data/shader/ in " + empty.path + ", " + alone.path, 0),
              0u)
        << error;
}

}  // namespace
