// Coarse checks of what the real binary shows on the virtual display: a
// lit, red-washed hallway that fills the window and moves over time.
#include "support/viewer_process.h"
#include "support/platform_skips.h"

#include <stb_image.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>
#include <vector>

namespace {

constexpr double kStartSeconds = 60.0;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    double meanChannel(int channel) const
    {
        double sum = 0.0;
        for (size_t i = channel; i < rgb.size(); i += 3) {
            sum += rgb[i];
        }
        return sum / (rgb.size() / 3);
    }
};

Image load(const std::string& path)
{
    Image image;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 3);
    if (pixels != nullptr) {
        image.rgb.assign(pixels, pixels + image.width * image.height * 3);
        free(pixels);
    }
    return image;
}

// Takes screenshots until the window shows more than a cleared buffer.
Image firstRenderedFrame(ViewerProcess& viewer, const std::string& path)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    Image image;
    while (std::chrono::steady_clock::now() < deadline) {
        if (viewer.screenshot(path)) {
            image = load(path);
            if (!image.rgb.empty() && image.meanChannel(0) > 5.0) {
                return image;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    return image;
}

TEST(RenderedFrame, ShowsARedLitHallwayThatFillsTheWindowAndMoves)
{
    SKIP_WITHOUT_XDOTOOL();
    ViewerProcess viewer;
    ASSERT_TRUE(viewer.start());
    ASSERT_TRUE(viewer.waitForWindow(kStartSeconds));
    const Image first = firstRenderedFrame(viewer, viewer.workingDirectory() + "/first.png");
    ASSERT_EQ(first.width, 1280);
    ASSERT_EQ(first.height, 720);

    std::set<int> colours;
    size_t clearColourPixels = 0;
    for (size_t i = 0; i < first.rgb.size(); i += 3) {
        const int r = first.rgb[i];
        const int g = first.rgb[i + 1];
        const int b = first.rgb[i + 2];
        colours.insert((r << 16) | (g << 8) | b);
        // The lighting pass's clear colour shows only through gaps.
        if (std::abs(r - 115) <= 2 && std::abs(g - 217) <= 2 && std::abs(b - 115) <= 2) {
            ++clearColourPixels;
        }
    }
    EXPECT_GT(colours.size(), 500u) << "the frame is (nearly) one flat colour";
    EXPECT_EQ(clearColourPixels, 0u) << "the clear colour shows through the hallway";
    EXPECT_GT(first.meanChannel(0), first.meanChannel(1)) << "red does not dominate";
    EXPECT_GT(first.meanChannel(0), first.meanChannel(2)) << "red does not dominate";

    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(viewer.screenshot(viewer.workingDirectory() + "/later.png"));
    const Image later = load(viewer.workingDirectory() + "/later.png");
    ASSERT_EQ(later.rgb.size(), first.rgb.size());
    size_t changed = 0;
    for (size_t i = 0; i < first.rgb.size(); ++i) {
        changed += std::abs(first.rgb[i] - later.rgb[i]) > 8 ? 1 : 0;
    }
    EXPECT_GT(changed, first.rgb.size() / 20) << "the frame does not change over time";

    viewer.sendKey("Escape");
    EXPECT_EQ(viewer.waitForExit(30.0), 0);
}

}  // namespace
