// Image decoding through stb_image (always to RGB) and the upload every
// material texture gets: the same format, wrapping and filtering for colour,
// specular, normal and height maps alike.
#include "model/texture_loader.h"

#include "common/regular_file.h"
#include "common/startup_profile.h"
#include "model/image_screening.h"

#include <stb_image.h>

#include <cstddef>
#include <cstdlib>
#include <limits>

namespace {

constexpr int kRgbChannels = 3;
// Asks the decoder for the channels the file stores, whatever they are.
constexpr int kFileChannels = 0;
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

constexpr int kGrey = 1;
constexpr int kGreyAlpha = 2;
constexpr int kRgba = 4;

// The decoder's pixels in the file's own channels, turned into tight RGB rows:
// grey is repeated in all three channels and alpha is dropped. The decoder
// can do this itself when asked for 3 channels, but its PNM reader then
// converts 16-bit samples as if they were 8-bit and reads twice the buffer
// it made for them, so the conversion is done here for every format.
DecodedImage keepIfAcceptable(unsigned char* pixels, int width, int height, int channels)
{
    DecodedImage image;
    image.pixels.reset(pixels);
    if (!image.pixels || !acceptableSize(width, height) || channels < kGrey || channels > kRgba) {
        image.pixels.reset();
        return image;
    }
    image.width = width;
    image.height = height;
    if (channels == kRgbChannels) {
        return image;
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    auto* rgb = static_cast<unsigned char*>(std::malloc(count * kRgbChannels));
    if (rgb == nullptr) {
        return DecodedImage{};
    }
    const bool grey = channels == kGrey || channels == kGreyAlpha;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* from = image.pixels.get() + i * static_cast<std::size_t>(channels);
        unsigned char* to = rgb + i * kRgbChannels;
        to[0] = from[0];
        to[1] = grey ? from[0] : from[1];
        to[2] = grey ? from[0] : from[2];
    }
    image.pixels.reset(rgb);
    return image;
}

// No file this large can hold an image the size limit accepts: even
// uncompressed 16-bit RGBA at 4096 x 4096 is 128 MiB.
constexpr std::size_t kMaxImageFileBytes = std::size_t{256} << 20;
}  // namespace

DecodedImage decodeRgbImage(const std::string& fullPath)
{
    // The bytes are read here, not by the decoder, so that they can be
    // screened before it sees them. A material can name any path, so only a
    // regular file of a size an acceptable image can have is read.
    const std::string bytes = readRegularFile(fullPath, kMaxImageFileBytes).value_or(std::string());
    const StartupTimer timer(&StartupProfile::textureDecodeMs);
    DecodedImage image = decodeRgbImageFromMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    if (!image.pixels) {
        image.failure = "could not be read or decoded";
    }
    return image;
}

DecodedImage decodeRgbImageFromMemory(const unsigned char* bytes, std::size_t size)
{
    if (bytes == nullptr || size == 0 || size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return DecodedImage{};
    }
    if (!imageBytesSafeToDecode(bytes, size)) {
        return DecodedImage{};
    }
    // The header is read first, so an absurd declared size is refused before
    // the decoder allocates anything for it.
    const int length = static_cast<int>(size);
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels) || !acceptableSize(width, height)) {
        return DecodedImage{};
    }
    unsigned char* pixels = stbi_load_from_memory(bytes, length, &width, &height, &channels, kFileChannels);
    return keepIfAcceptable(pixels, width, height, channels);
}

GLuint uploadTexture2D(const DecodedImage& image, std::string* /*failure*/)
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
