// Image decoding through stb_image (always to RGB) and the upload every
// material texture gets: the same format, wrapping and filtering for colour,
// specular, normal and height maps alike.
#include "model/texture_loader.h"

#include "app/startup_profile.h"

#include <stb_image.h>

#include <limits>

namespace {

constexpr int kRgbChannels = 3;
constexpr GLint kBaseLevel = 0;
constexpr GLint kNoBorder = 0;
// Decoded rows are 3 x width bytes with no padding, which only matches GL's
// default 4-byte unpack alignment when the width is a multiple of 4.
constexpr GLint kTightRowAlignment = 1;

// Opaque magenta for an image that could not be read: a valid, complete
// texture keeps every draw well defined, and the colour makes the missing
// file obvious to whoever looks at the frame.
constexpr int kPlaceholderSize = 1;
constexpr unsigned char kPlaceholderTexel[kRgbChannels] = {255, 0, 255};

}  // namespace

namespace {

bool acceptableSize(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide;
}

DecodedImage keepIfAcceptable(unsigned char* pixels, int width, int height)
{
    DecodedImage image;
    image.pixels.reset(pixels);
    if (!image.pixels || !acceptableSize(width, height)) {
        image.pixels.reset();
        return image;
    }
    image.width = width;
    image.height = height;
    return image;
}

}  // namespace

DecodedImage decodeRgbImage(const std::string& fullPath)
{
    // The header is read first, so an absurd declared size is refused before
    // the decoder allocates anything for it.
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info(fullPath.c_str(), &width, &height, &channels) || !acceptableSize(width, height)) {
        return DecodedImage{};
    }
    const StartupTimer timer(&StartupProfile::textureDecodeMs);
    unsigned char* pixels = stbi_load(fullPath.c_str(), &width, &height, nullptr, kRgbChannels);
    return keepIfAcceptable(pixels, width, height);
}

DecodedImage decodeRgbImageFromMemory(const unsigned char* bytes, std::size_t size)
{
    if (bytes == nullptr || size == 0 || size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return DecodedImage{};
    }
    const int length = static_cast<int>(size);
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels) || !acceptableSize(width, height)) {
        return DecodedImage{};
    }
    unsigned char* pixels = stbi_load_from_memory(bytes, length, &width, &height, nullptr, kRgbChannels);
    return keepIfAcceptable(pixels, width, height);
}

GLuint uploadTexture2D(const DecodedImage& image)
{
    const StartupTimer timer(&StartupProfile::textureUploadMs);
    if (startupProfile != nullptr) {
        ++startupProfile->texturesLoaded;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);

    const bool decoded = image.pixels != nullptr;
    const GLsizei width = decoded ? image.width : kPlaceholderSize;
    const GLsizei height = decoded ? image.height : kPlaceholderSize;
    const unsigned char* texels = decoded ? image.pixels.get() : kPlaceholderTexel;

    GLint previousAlignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, kTightRowAlignment);
    glTexImage2D(GL_TEXTURE_2D, kBaseLevel, GL_RGB, width, height, kNoBorder, GL_RGB,
                 GL_UNSIGNED_BYTE, texels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);

    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

GLuint loadTexture2D(const std::string& fileName, const std::string& directory)
{
    return uploadTexture2D(decodeRgbImage(directory + "/" + fileName));
}
