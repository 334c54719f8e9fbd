// Each pass view (V) shows its own pass's image, found through the pass
// table: every target is filled with something of its own (a colour; a
// depth per cube face) and the window must show exactly that; a view whose
// pass is off shows the background, not what its target held before.
#include "common/pass_view.h"
#include "common/render_toggles.h"
#include "render/pass_images.h"
#include "render/pass_table.h"
#include "render/pass_views.h"
#include "render/shadow_pass.h"
#include "support/framebuffer_pixels.h"
#include "support/global_state.h"
#include "support/started_viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

struct PassViewsTest : testing::Test {
    StartedViewer& viewer = startedViewer();
    void SetUp() override { resetGlobalState(); }
    void TearDown() override { resetGlobalState(); }
};

TEST_F(PassViewsTest, EachViewShowsItsOwnPassImageAndNothingWhenItsPassIsOff)
{
    struct ColourView { PassView view; const char* image; std::array<GLubyte, 4> colour; };
    // Exact in 8 bits: n / 255 stored and read back as n.
    const ColourView views[] = {{PassView::GodRays, kGodRayImage, {200, 40, 40, 255}},
                                {PassView::BloomBright, kBloomBrightImage, {40, 200, 40, 255}},
                                {PassView::BloomBlur, kBloomImage, {40, 40, 200, 255}}};
    for (const ColourView& v : views) {
        const RenderPass* row = findProducerRow(passTable(), v.image);
        ASSERT_NE(row, nullptr);
        glBindFramebuffer(GL_FRAMEBUFFER, *row->framebuffer);
        glClearColor(v.colour[0] / 255.0f, v.colour[1] / 255.0f, v.colour[2] / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // The state the shadow pass leaves when the lighting pass does not follow.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    const int centreX = frameSize.width / 2;
    const int centreY = frameSize.height / 2;
    for (const ColourView& v : views) {
        SCOPED_TRACE(passViewInfo(v.view).name);
        drawPassView(v.view);
        EXPECT_EQ(readPixel(0, centreX, centreY), v.colour);
    }
    bloomOn = false;
    drawPassView(PassView::BloomBlur);
    const std::array<GLubyte, 4> background = readPixel(0, 0, 0);
    EXPECT_EQ(readPixel(0, centreX, centreY), background);
    EXPECT_NE(background, views[2].colour) << "the blur's old image";

    // Cells of the cross (column, row from the bottom) and the face each
    // shows; the faces' depths grow in this order, so the greys must fall.
    struct Cell { int column, row; GLenum face; };
    const Cell cells[] = {{1, 2, GL_TEXTURE_CUBE_MAP_POSITIVE_Y}, {0, 1, GL_TEXTURE_CUBE_MAP_NEGATIVE_X},
                          {1, 1, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z}, {2, 1, GL_TEXTURE_CUBE_MAP_POSITIVE_X},
                          {3, 1, GL_TEXTURE_CUBE_MAP_POSITIVE_Z}, {1, 0, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y}};
    const PassImage* shadowMap = findProducer(passTable(), kShadowMapImage);
    ASSERT_NE(shadowMap, nullptr);
    glBindTexture(GL_TEXTURE_CUBE_MAP, *shadowMap->texture);
    std::vector<float> depths(static_cast<std::size_t>(kShadowMapSize) * kShadowMapSize);
    for (std::size_t i = 0; i < std::size(cells); ++i) {
        std::fill(depths.begin(), depths.end(), static_cast<float>(i + 1) / 8.0f);
        glTexSubImage2D(cells[i].face, 0, 0, 0, kShadowMapSize, kShadowMapSize, GL_DEPTH_COMPONENT, GL_FLOAT,
                        depths.data());
    }
    drawPassView(PassView::ShadowMap);
    const int face = std::min(frameSize.width / 4, frameSize.height / 3);
    const int left = (frameSize.width - 4 * face) / 2;
    const int bottom = (frameSize.height - 3 * face) / 2;
    int previousGrey = 256;
    for (const Cell& cell : cells) {
        const std::array<GLubyte, 4> pixel =
            readPixel(0, left + cell.column * face + face / 2, bottom + cell.row * face + face / 2);
        SCOPED_TRACE(cell.face);
        EXPECT_EQ(pixel[0], pixel[2]) << "grey";
        EXPECT_LT(pixel[0], previousGrey) << "nearer is lighter";
        previousGrey = pixel[0];
    }
    // Beside the cross, the background.
    EXPECT_EQ(readPixel(0, left + face / 2, bottom + face / 2), background);
}

}  // namespace
