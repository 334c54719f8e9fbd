#include "model/staged_texture_upload.h"

#include "common/startup_profile.h"

#include <algorithm>

namespace {

constexpr int kRgb = 3;
constexpr GLint kBaseLevel = 0;
constexpr GLint kNoBorder = 0;
// About 10 ms of copying into the driver on llvmpipe.
constexpr std::size_t kStripBytes = std::size_t{8} << 20;
constexpr GLint kTightRowAlignment = 1;

std::size_t rowBytes(int width)
{
    return static_cast<std::size_t>(width) * kRgb;
}

}  // namespace

bool needsStagedUpload(const DecodedImage& image)
{
    return image.pixels != nullptr && rowBytes(image.width) * static_cast<std::size_t>(image.height) > kStagedUploadBytes;
}

GLuint uploadTextureInSteps(const DecodedImage& image, const std::function<void()>& betweenSteps)
{
    const StartupTimer timer(&StartupProfile::textureUploadMs);
    if (startupProfile != nullptr) {
        ++startupProfile->texturesLoaded;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint previousAlignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, kTightRowAlignment);

    glTexImage2D(GL_TEXTURE_2D, kBaseLevel, GL_RGB, image.width, image.height, kNoBorder, GL_RGB, GL_UNSIGNED_BYTE,
                 nullptr);
    const int rowsPerStrip = static_cast<int>(std::max<std::size_t>(1, kStripBytes / rowBytes(image.width)));
    for (int row = 0; row < image.height; row += rowsPerStrip) {
        const int rows = std::min(rowsPerStrip, image.height - row);
        glTexSubImage2D(GL_TEXTURE_2D, kBaseLevel, 0, row, image.width, rows, GL_RGB, GL_UNSIGNED_BYTE,
                        image.pixels.get() + rowBytes(image.width) * static_cast<std::size_t>(row));
        if (betweenSteps) {
            betweenSteps();
        }
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);

    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}
