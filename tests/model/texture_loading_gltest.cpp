// Texture loading checked against what GL stores: every image arrives as
// tightly packed RGB whatever its channels or width, with mipmaps and the
// shared sampling parameters, and an unusable file still gives a texture and
// says why.
#include "model/texture_loader.h"
#include "support/gl_probes.h"
#include "support/captured_output.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

// The decode and upload start-up gives each image, here in this process:
// every file these tests decode is one they wrote.
GLuint loadTexture2D(const std::string& fileName, const std::string& directory)
{
    const std::string path = directory + "/" + fileName;
    return uploadTexture2DReporting(path, decodeRgbImage(path));
}

using probes::readTexels;
using probes::writePng;

constexpr int kGrey = 1;
constexpr int kGreyAlpha = 2;
constexpr int kRgb = 3;
constexpr int kRgba = 4;

class TextureLoading : public testing::Test {
protected:
    void SetUp() override { testGLContext(); }
    TempDir dir;
};

TEST_F(TextureLoading, GreyImageIsRepeatedInAllThreeChannels)
{
    writePng(dir.file("grey.png"), 2, 1, kGrey, {10, 200});
    GLuint texture = loadTexture2D("grey.png", dir.path);
    EXPECT_EQ(readTexels(texture), (std::vector<unsigned char>{10, 10, 10, 200, 200, 200}));
    EXPECT_EQ(probes::levelParameter(texture, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
}

TEST_F(TextureLoading, AlphaIsDroppedFromGreyAlphaAndRgbaImages)
{
    writePng(dir.file("grey_alpha.png"), 1, 1, kGreyAlpha, {77, 0});
    writePng(dir.file("rgba.png"), 2, 1, kRgba, {1, 2, 3, 0, 4, 5, 6, 128});
    EXPECT_EQ(readTexels(loadTexture2D("grey_alpha.png", dir.path)),
              (std::vector<unsigned char>{77, 77, 77}));
    EXPECT_EQ(readTexels(loadTexture2D("rgba.png", dir.path)),
              (std::vector<unsigned char>{1, 2, 3, 4, 5, 6}));
}

// Three RGB texels make 9-byte rows, which GL's default 4-byte unpack
// alignment would read skewed from the second row on.
TEST_F(TextureLoading, OddWidthRgbImageKeepsEveryRowAndRestoresUnpackAlignment)
{
    std::vector<unsigned char> pixels;
    for (unsigned char value = 0; value < 18; ++value) {
        pixels.push_back(value);
    }
    writePng(dir.file("odd.png"), 3, 2, kRgb, pixels);
    constexpr GLint kCallersAlignment = 8;
    glPixelStorei(GL_UNPACK_ALIGNMENT, kCallersAlignment);

    GLuint texture = loadTexture2D("odd.png", dir.path);

    EXPECT_EQ(probes::integerState(GL_UNPACK_ALIGNMENT), kCallersAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, probes::kDefaultUnpackAlignment);
    EXPECT_EQ(probes::levelParameter(texture, GL_TEXTURE_WIDTH), 3);
    EXPECT_EQ(readTexels(texture), pixels);
}

TEST_F(TextureLoading, TextureIsMipmappedRepeatingTrilinearAndLeftUnbound)
{
    writePng(dir.file("four.png"), 4, 4, kRgb, std::vector<unsigned char>(4 * 4 * kRgb, 90));
    GLuint stale = probes::solidTexture(0, 0, 0);
    glBindTexture(GL_TEXTURE_2D, stale);

    GLuint texture = loadTexture2D("four.png", dir.path);

    EXPECT_EQ(probes::integerState(GL_TEXTURE_BINDING_2D), 0);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint mipWidth = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &mipWidth);
    GLint wrapS = 0, wrapT = 0, minFilter = 0, magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(mipWidth, 2);
    EXPECT_EQ(wrapS, GL_REPEAT);
    EXPECT_EQ(wrapT, GL_REPEAT);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
}

TEST_F(TextureLoading, UnusableImageGivesMagentaPlaceholderAndOneLineSayingWhy)
{
    dir.write("garbage.png", "not an image");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"missing.png", "no such file"},
        {"garbage.png", "not an image stb_image can decode (unknown image type)"},
        {"", "not a regular file"},
    };
    for (const auto& [name, reason] : cases) {
        GLuint texture = 0;
        const std::string printed = captureStdout([&] { texture = loadTexture2D(name, dir.path); });
        EXPECT_EQ(printed, "ERROR::TEXTURE:: " + dir.path + "/" + name + ": " + reason + "\n");
        EXPECT_NE(texture, 0u) << name;
        EXPECT_EQ(probes::levelParameter(texture, GL_TEXTURE_WIDTH), 1) << name;
        EXPECT_EQ(probes::levelParameter(texture, GL_TEXTURE_HEIGHT), 1) << name;
        EXPECT_EQ(readTexels(texture), (std::vector<unsigned char>{255, 0, 255})) << name;
    }
}

// A decoded image wider than the driver's largest texture would leave an
// incomplete texture, which samples as black.
TEST_F(TextureLoading, ImageLargerThanTheDriverTakesGivesThePlaceholderAndSaysWhy)
{
    const GLint driverMaxSide = probes::integerState(GL_MAX_TEXTURE_SIZE);
    DecodedImage wide;
    wide.width = driverMaxSide + 1;
    wide.height = 1;
    wide.pixels.reset(static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(wide.width), kRgb)), std::free);
    std::string failure = "stale";

    const GLuint texture = uploadTexture2D(wide, &failure);

    EXPECT_EQ(failure, std::to_string(wide.width) + " x 1 px, more than the " + std::to_string(driverMaxSide) +
                           " px on a side this GL driver takes");
    EXPECT_EQ(readTexels(texture), (std::vector<unsigned char>{255, 0, 255}));
    wide.width = driverMaxSide;
    uploadTexture2D(wide, &failure);
    EXPECT_EQ(failure, "");
}

// An incomplete texture samples as black; only a complete one shows magenta.
TEST_F(TextureLoading, PlaceholderIsCompleteSoDrawsSampleMagenta)
{
    GLuint texture = loadTexture2D("missing.png", dir.path);
    MeshTexture diffuse{texture, "material.diffuse", "missing.png"};
    Mesh mesh = probes::screenCoveringMesh({diffuse});
    ShaderProgram program = probes::buildProbeProgram(dir, "texture(material.diffuse, uv)");

    const std::array<unsigned char, 4> pixel = probes::drawToPixel(mesh, program);

    EXPECT_EQ(pixel, (std::array<unsigned char, 4>{255, 0, 255, 255}));
}

}  // namespace
