// The pass table as the frame runs it: each pass's switch, viewport, target,
// depth, culling and clear in drawing order, and the images the passes hand
// on, each read from the latest earlier pass that makes it.
#include "common/render_toggles.h"
#include "render/bloom_blur_pass.h"
#include "render/bloom_pass.h"
#include "render/god_ray_pass.h"
#include "render/lighting_pass.h"
#include "render/pass_images.h"
#include "render/pass_table.h"
#include "render/shadow_pass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ExpectedRow {
    const RenderPass* pass;
    const bool* toggle;
    GLsizei width, height;
    const GLuint* framebuffer;
    bool clearsFirst, depthTest;
    GLenum culledFace;
    std::optional<ClearColour> clearColour;
    GLbitfield clearMask;
};

constexpr GLbitfield kColourAndDepth = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;

TEST(PassTable, RowsHoldEachPassStateInDrawingOrder)
{
    const std::vector<ExpectedRow> expected = {
        {&godRayOcclusionPass, &godRaysOn, 1280, 720, &godRayTarget.framebuffer, false, false, GL_BACK,
         ClearColour{0.9f, 0.5f, 0.5f, 1.0f}, kColourAndDepth},
        {&bloomBrightPass, &bloomOn, 640, 360, &bloomBrightTarget.framebuffer, false, true, GL_BACK,
         ClearColour{0.0f, 0.0f, 0.0f, 1.0f}, kColourAndDepth},
        {&bloomBlurPass, &bloomOn, 640, 360, &bloomBlurTarget.framebuffer, false, true, GL_BACK,
         ClearColour{0.0f, 0.0f, 0.0f, 1.0f}, kColourAndDepth},
        {&shadowCubeMapPass, &shadowOn, 1024, 1024, &shadowFramebuffer, true, true, GL_FRONT, std::nullopt,
         GL_DEPTH_BUFFER_BIT},
        {&lightingPass, nullptr, 1280, 720, nullptr, false, true, GL_BACK, ClearColour{0.45f, 0.85f, 0.45f, 1.0f},
         kColourAndDepth},
    };
    const auto table = passTable();
    ASSERT_EQ(table.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const RenderPass& row = *table[i];
        const ExpectedRow& e = expected[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(&row, e.pass);
        EXPECT_EQ(row.toggle, e.toggle);
        EXPECT_EQ(row.viewportSize(), (FrameSize{e.width, e.height}));
        EXPECT_EQ(row.framebuffer, e.framebuffer);
        EXPECT_EQ(row.clearsFirst, e.clearsFirst);
        EXPECT_EQ(row.depthTest, e.depthTest);
        EXPECT_EQ(row.culledFace, e.culledFace);
        ASSERT_EQ(row.clearColour.has_value(), e.clearColour.has_value());
        if (e.clearColour) {
            EXPECT_EQ(std::vector<float>({row.clearColour->r, row.clearColour->g, row.clearColour->b, row.clearColour->a}),
                      std::vector<float>({e.clearColour->r, e.clearColour->g, e.clearColour->b, e.clearColour->a}));
        }
        EXPECT_EQ(row.clearMask, e.clearMask);
        EXPECT_NE(row.programSlot, nullptr);
        EXPECT_NE(row.setUp, nullptr);
    }
}

TEST(PassTable, LightingAndBlurReadTheImagesOfTheRightPasses)
{
    const auto table = passTable();
    const auto producerOf = [&](const RenderPass& reader, const char* name) -> const GLuint* {
        const std::size_t at = static_cast<std::size_t>(std::find(table.begin(), table.end(), &reader) - table.begin());
        const PassImage* image = findProducer(table.first(at), name);
        return image != nullptr ? image->texture : nullptr;
    };
    for (const RenderPass* reader : table) {
        for (const char* name : reader->samples) {
            EXPECT_NE(producerOf(*reader, name), nullptr) << reader->name << " reads " << name << ", made by no earlier pass";
        }
    }
    EXPECT_EQ(producerOf(bloomBlurPass, kBloomBrightImage), &bloomBrightTarget.colourTexture);
    EXPECT_EQ(producerOf(lightingPass, kShadowMapImage), &shadowCubeMap);
    EXPECT_EQ(producerOf(lightingPass, kGodRayImage), &godRayTarget.colourTexture);
    EXPECT_EQ(producerOf(lightingPass, kBloomImage), &bloomBlurTarget.colourTexture);
    EXPECT_EQ(shadowCubeMapPass.produces->textureTarget, static_cast<GLenum>(GL_TEXTURE_CUBE_MAP));
}

// The per-face form replaces the shadow row alone: same place, switch,
// viewport and clear, six face framebuffers drawn in turn, its own program,
// and the lighting pass reading its cube map under the same name.
TEST(PassTable, PerFaceFormSwapsOnlyTheShadowRow)
{
    const std::vector<const RenderPass*> layered(passTable().begin(), passTable().end());
    shadowPassForm = ShadowPassForm::DrawPerFace;
    const std::vector<const RenderPass*> perFace(passTable().begin(), passTable().end());
    const PassImage* shadowImage = findProducer(passTable(), kShadowMapImage);
    shadowPassForm = ShadowPassForm::OneLayeredDraw;

    ASSERT_EQ(perFace.size(), layered.size());
    for (std::size_t i = 0; i < layered.size(); ++i) {
        EXPECT_EQ(perFace[i], layered[i] == &shadowCubeMapPass ? &shadowCubeFacesPass : layered[i]) << i;
    }
    const RenderPass& faces = shadowCubeFacesPass;
    EXPECT_EQ(faces.toggle, shadowCubeMapPass.toggle);
    EXPECT_EQ(faces.viewportSize(), shadowCubeMapPass.viewportSize());
    EXPECT_EQ(faces.clearsFirst, shadowCubeMapPass.clearsFirst);
    EXPECT_EQ(faces.culledFace, shadowCubeMapPass.culledFace);
    EXPECT_EQ(faces.clearMask, shadowCubeMapPass.clearMask);
    EXPECT_EQ(faces.layerCount, 6);
    EXPECT_EQ(faces.framebuffer, shadowFaceFramebuffers);
    EXPECT_NE(faces.selectLayer, nullptr);
    EXPECT_EQ(shadowCubeMapPass.layerCount, 1);
    // Its program, built into the same slot, needs no geometry stage.
    EXPECT_EQ(faces.programSlot, shadowCubeMapPass.programSlot);
    EXPECT_EQ(faces.shaderFiles.geometry, nullptr);
    EXPECT_NE(shadowCubeMapPass.shaderFiles.geometry, nullptr);
    ASSERT_NE(shadowImage, nullptr);
    EXPECT_EQ(shadowImage->texture, &shadowFaceCubeMap);
}

// A pass added between a writer and its reader (a second blur) takes over
// the name: the reader then gets the newer image without changing.
TEST(PassImages, ReaderTakesTheLatestEarlierImageOfEachNameAndZeroForNone)
{
    const GLuint first = 11;
    const GLuint second = 12;
    constexpr const char* kReads[] = {"bloom", "missing"};
    const RenderPass writer{.produces = PassImage{"bloom", GL_TEXTURE_2D, &first}};
    const RenderPass rewriter{.produces = PassImage{"bloom", GL_TEXTURE_2D, &second}};
    const RenderPass reader{.samples = kReads};
    const RenderPass* table[] = {&writer, &rewriter, &reader};

    const std::vector<SampledImage> images = sampledImages(std::span(table).first(2), reader.samples);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].texture, second);
    EXPECT_EQ(images[1].texture, 0u);
    EXPECT_EQ(sampledImages(std::span(table).first(1), reader.samples)[0].texture, first);
}

}  // namespace
