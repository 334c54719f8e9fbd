#include "web/canvas_size.h"

#include <gtest/gtest.h>

#include <limits>

TEST(CanvasSize, TheCssSizeTimesTheRatioToTheNearestPixelOrBothSidesShrunkAlikeToJustUnderTheCap)
{
    EXPECT_EQ(fitCanvas(800.0, 450.0, 2.0)->size, (FrameSize{1600, 900}));
    EXPECT_EQ(fitCanvas(390.0, 219.375, 3.0)->size, (FrameSize{1170, 658}));
    EXPECT_EQ(fitCanvas(1920.0, 1080.0, 2.0)->size, (FrameSize{1920, 1080}));
    for (const double ratio : {1.25, 2.0, 3.0}) {
        for (const auto& [width, height] : {std::pair{2560.0, 1440.0}, {1707.3, 960.4}, {1366.0, 1024.0}}) {
            const CanvasFit fit = *fitCanvas(width, height, ratio);
            const double area = static_cast<double>(fit.size.width) * fit.size.height;
            EXPECT_LE(area, kMaxCanvasPixels) << width << "x" << height << " at " << ratio;
            EXPECT_GT(area, 0.99 * kMaxCanvasPixels) << width << "x" << height << " at " << ratio;
            EXPECT_NEAR(fit.size.width / width, fit.size.height / height, 1.0 / height);
            EXPECT_NEAR(fit.pixelRatio, fit.size.width / width, 1.0 / width);
        }
    }
}

TEST(CanvasSize, NoAreaOrNoNumberGivesNothingToFitAndAnyOtherSizeHasPixels)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    for (const auto& [width, height] : {std::pair{0.0, 450.0}, {800.0, -1.0}, {kNaN, 450.0}, {800.0, kInfinity}}) {
        EXPECT_FALSE(fitCanvas(width, height, 2.0)) << width << "x" << height;
    }
    EXPECT_FALSE(fitCanvas(800.0, 450.0, 1.0, 0.5));
    EXPECT_EQ(fitCanvas(800.0, 450.0, kNaN)->size, (FrameSize{800, 450}));
    EXPECT_EQ(fitCanvas(800.0, 450.0, -2.0)->pixelRatio, 1.0);
    for (const auto& [width, height] : {std::pair{0.1, 0.1}, {1e9, 0.001}, {1e300, 1e-300}}) {
        const FrameSize size = fitCanvas(width, height, 3.0)->size;
        EXPECT_TRUE(hasPixels(size)) << width << "x" << height;
        EXPECT_LE(static_cast<double>(size.width) * size.height, kMaxCanvasPixels) << width << "x" << height;
    }
}
