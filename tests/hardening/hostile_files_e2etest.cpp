// The real binary on the virtual display with hostile files in place of its
// own: one run per kind of file (shaders, models, images), each breaking
// several files at once. Every run prints the messages those files call for
// and nothing else, keeps running, and Escape still ends it with status 0.
#include "hardening/hostile_image_bytes.h"
#include "support/files.h"
#include "support/messages.h"
#include "support/viewer_process.h"
#include "support/platform_skips.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

void replaceWithDirectory(const std::string& path)
{
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
}

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// The image paths a material library names, in file order.
std::vector<std::string> materialImages(const std::string& mtlPath)
{
    std::vector<std::string> images;
    std::istringstream lines(readFile(mtlPath));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("map_", 0) == 0) {
            images.push_back(line.substr(line.find(' ') + 1));
        }
    }
    return images;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Starts the viewer on the broken copy and waits for its first drawn frame:
// by then every file has been read and every line printed. Checks that it is
// still running, presses Escape and returns everything it printed.
std::string runUntilEscape(ViewerProcess& viewer)
{
    EXPECT_TRUE(viewer.startAndWaitForFirstFrame());
    EXPECT_TRUE(viewer.running()) << viewer.output();
    viewer.sendKey("Escape");
    EXPECT_EQ(viewer.waitForExit(kViewerExitSeconds), 0) << viewer.output();
    return viewer.output();
}

// The lighting program builds whole; the shadow program loses half of its
// geometry stage, the god-ray program finds a directory where its vertex
// stage should be, and the bloom program an empty fragment stage.
TEST(HostileFilesEndToEnd, BrokenShaderFilesAreReportedAndTheViewerRunsOn)
{
    SKIP_WITHOUT_XDOTOOL();
    ViewerProcess viewer;
    const std::string shaders = viewer.workingDirectory() + "/data/shader/";
    const std::string geometry = readFile(shaders + "shadowDepth.gs");
    ASSERT_FALSE(geometry.empty());
    writeFile(shaders + "shadowDepth.gs", geometry.substr(0, geometry.size() / 2));
    replaceWithDirectory(shaders + "SimpleShader.vs");
    writeFile(shaders + "BloomShader.fs", "");

    const std::string output = runUntilEscape(viewer);

    EXPECT_EQ(occurrences(output, kShaderReadFailure), 1u) << output;
    EXPECT_EQ(occurrences(output, "SHADER-COMPILATION-ERROR of type: GEOMETRY|\n"), 1u) << output;
    EXPECT_EQ(occurrences(output, "PROGRAM-LINKING-ERROR of type: PROGRAM|\n"), 3u) << output;
    EXPECT_EQ(occurrences(output, "ERROR::ASSIMP"), 0u) << output;
}

// Sixteen models from seven files, in the order the scene imports them: the
// hallway, eight pipes, three slimes, then the four alarm-light parts.
TEST(HostileFilesEndToEnd, BrokenModelFilesAreReportedOncePerModelAndTheViewerRunsOn)
{
    SKIP_WITHOUT_XDOTOOL();
    ViewerProcess viewer;
    const std::string models = viewer.workingDirectory() + "/data/models/";
    const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    writeFile(models + "hallway.obj", "");
    writeFile(models + "pipe.obj", triangle + "v 1 1 0\nf 1 2 3\nf 2 4");  // cut mid-face
    writeFile(models + "slime.obj", triangle + "f 1 2 9\n");
    replaceWithDirectory(models + "alarmlight.mtl");
    writeFile(models + "alarmlightGrid.obj", triangle + "f 1 2 99999999999999999999\n");
    writeFile(models + "alarmlightBlocker.obj", triangle + "f 0 1 2\n");
    std::filesystem::remove(models + "alarmlightBlockerGrid.mtl");

    const std::string output = runUntilEscape(viewer);

    const std::string outOfRange = "ERROR::ASSIMP:: OBJ: vertex index out of range\n";
    EXPECT_EQ(output, "ERROR::ASSIMP:: OBJ-file is too small.\n" + outOfRange + outOfRange +
                          outOfRange + "ERROR::ASSIMP:: File read error\n" + outOfRange +
                          "ERROR::ASSIMP:: OBJ: Invalid face index.\n");
}

// Unusable images give placeholders, each named once with its reason however
// many models use it. The hallway's images are broken in place and its
// library starts with a texture statement outside any material; the slime's
// material names an absolute path, a path through "..", and one longer than
// the importer keeps (usable, usable and dropped: no line); the pipe's names
// its images without their folder, for eight pipes.
TEST(HostileFilesEndToEnd, BrokenImagesAreNamedOnceEachWithTheirReason)
{
    SKIP_WITHOUT_XDOTOOL();
    ViewerProcess viewer;
    const std::string models = viewer.workingDirectory() + "/data/models/";

    const std::vector<std::string> hallwayImages = materialImages(models + "hallway.mtl");
    const std::vector<std::string> hostileImages = {
        "",                                      // empty
        "\x89PNG\r\n\x1a\n",                     // a signature and nothing after it
        hardening::bmp(0, 0, 0),                 // no pixels
        hardening::bmp(20000, 20000, 16),        // 1.2 GB declared, 16 bytes held
    };
    const std::vector<std::string> reasons = {
        "an empty file",
        "not an image stb_image can decode (unknown image type)",
        "0 x 0 px, no pixels at all",
        "20000 x 20000 px, more than the 16384 px on a side this viewer accepts",
        "not a regular file",
        "no such file",
    };
    const auto line = [](const std::string& image, const std::string& reason) {
        return "ERROR::TEXTURE:: data/models/" + image + ": " + reason;
    };
    std::set<std::string> expected;
    for (std::size_t i = 0; i < reasons.size(); ++i) {
        expected.insert(line(hallwayImages.at(i), reasons[i]));
    }
    ASSERT_GE(hallwayImages.size(), hostileImages.size() + 2);
    for (std::size_t i = 0; i < hostileImages.size(); ++i) {
        ASSERT_TRUE(std::filesystem::exists(models + hallwayImages[i])) << hallwayImages[i];
        writeFile(models + hallwayImages[i], hostileImages[i]);
    }
    replaceWithDirectory(models + hallwayImages[hostileImages.size()]);
    ASSERT_TRUE(std::filesystem::remove(models + hallwayImages[hostileImages.size() + 1]));

    const std::string slimePath = models + "slime.mtl";
    const std::vector<std::string> slimeImages = materialImages(slimePath);
    ASSERT_GE(slimeImages.size(), 3u);
    std::string slime = readFile(slimePath);
    replaceAll(slime, slimeImages[0], models + slimeImages[0]);
    replaceAll(slime, slimeImages[1], "../models/" + slimeImages[1]);
    replaceAll(slime, slimeImages[2], std::string(2000, 'x') + ".png");
    writeFile(slimePath, slime);

    // A texture statement before any material once crashed the import.
    writeFile(models + "hallway.mtl", "map_Kd stray.png\n" + readFile(models + "hallway.mtl"));

    std::string pipe = readFile(models + "pipe.mtl");
    ASSERT_NE(pipe.find("textures/"), std::string::npos);
    replaceAll(pipe, "textures/", "");
    writeFile(models + "pipe.mtl", pipe);
    for (const std::string& image : materialImages(models + "pipe.mtl")) {
        expected.insert(line(image, "no such file"));
    }

    const std::string output = runUntilEscape(viewer);
    std::set<std::string> printed;
    std::istringstream lines(output);
    for (std::string printedLine; std::getline(lines, printedLine);) {
        printed.insert(printedLine);
    }
    EXPECT_EQ(printed, expected) << output;
    EXPECT_EQ(occurrences(output, "\n"), expected.size()) << output;
}

}  // namespace
