// Image decoding through stb_image (always to RGB) and the upload every
// material texture gets, alike for colour, specular, normal and height maps;
// whatever cannot be used becomes a placeholder, and its reason a line.
#include "model/texture_loader.h"

#include "common/regular_file.h"
#include "common/startup_profile.h"
#include "model/image_screening.h"

#include <stb_image.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string_view>
#include <utility>

// Defined with the decoders (bounded_image_decoder.cpp): forgets the
// decoder's reason for an earlier failure on this thread, so that a reason
// read after a call is that call's own.
void forgetImageDecoderFailure();

namespace {

constexpr int kRgbChannels = 3;
// Asks the decoder for the channels the file stores, whatever they are.
constexpr int kFileChannels = 0;
constexpr GLint kBaseLevel = 0;
constexpr GLint kNoBorder = 0;
// Decoded rows are 3 x width bytes with no padding, which only matches GL's
// default 4-byte unpack alignment when the width is a multiple of 4.
constexpr GLint kTightRowAlignment = 1;

// Opaque magenta for an image that could not be used: a valid, complete
// texture keeps every draw well defined, and the colour makes the missing
// file obvious to whoever looks at the frame.
constexpr int kPlaceholderSize = 1;
constexpr unsigned char kPlaceholderTexel[kRgbChannels] = {255, 0, 255};

constexpr int kGrey = 1;
constexpr int kGreyAlpha = 2;
constexpr int kRgba = 4;

constexpr int kMebibyteShift = 20;
constexpr std::size_t kMebibyte = std::size_t{1} << kMebibyteShift;

constexpr char kReportPrefix[] = "ERROR::TEXTURE:: ";
// Control characters would break the report's one line, or be taken by a
// terminal as commands; they are shown as \xNN instead.
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

std::string pixelSize(long long width, long long height)
{
    return std::to_string(width) + " x " + std::to_string(height) + " px";
}

DecodedImage failedDecode(std::string why)
{
    DecodedImage image;
    image.failure = std::move(why);
    return image;
}

// What the decoder says while it tries the formats one by one, of the formats
// a file is not: a file that then fails without a reason of its own would be
// reported with one of these.
constexpr std::string_view kFormatProbeReasons[] = {"bad png sig", "no SOI"};

std::string decoderFailure()
{
    const char* reason = stbi_failure_reason();
    std::string why = "not an image stb_image can decode";
    if (reason != nullptr && *reason != '\0' &&
        std::find(std::begin(kFormatProbeReasons), std::end(kFormatProbeReasons), reason) ==
            std::end(kFormatProbeReasons)) {
        why += std::string(" (") + reason + ")";
    }
    return why;
}

// The decoder's pixels in the file's own channels, turned into tight RGB rows:
// grey is repeated in all three channels and alpha is dropped. The decoder
// can do this itself when asked for 3 channels, but its PNM reader then
// converts 16-bit samples as if they were 8-bit and reads twice the buffer
// it made for them, so the conversion is done here for every format.
DecodedImage keepIfAcceptable(unsigned char* pixels, int width, int height, int channels)
{
    DecodedImage image;
    image.pixels.reset(pixels);
    if (std::string why = imageSizeFailure(width, height); !why.empty()) {
        return failedDecode(std::move(why));
    }
    if (channels < kGrey || channels > kRgba) {
        return failedDecode("decoded to " + std::to_string(channels) + " channels");
    }
    image.width = width;
    image.height = height;
    if (channels == kRgbChannels) {
        return image;
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    auto* rgb = static_cast<unsigned char*>(std::malloc(count * kRgbChannels));
    if (rgb == nullptr) {
        return failedDecode("no memory for the RGB pixels of " + pixelSize(width, height));
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

std::string tooManyBytes(std::size_t size)
{
    return std::to_string(size) + " bytes, more than the " + std::to_string(kMaxImageFileBytes) +
           " this viewer reads";
}

std::string printable(const std::string& text)
{
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < kFirstPrintable || byte == kDelete) {
            char escaped[sizeof("\\xFF")];
            std::snprintf(escaped, sizeof(escaped), "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace

std::string imageSizeFailure(long long width, long long height)
{
    if (width <= 0 || height <= 0) {
        return pixelSize(width, height) + ", no pixels at all";
    }
    if (width > kMaxImageSide || height > kMaxImageSide) {
        return pixelSize(width, height) + ", more than the " + std::to_string(kMaxImageSide) +
               " px on a side this viewer accepts";
    }
    const auto bytes = static_cast<std::size_t>(width * height) * kDecodedBytesPerPixel;
    if (bytes > kMaxDecodedImageBytes) {
        return pixelSize(width, height) + ", " + std::to_string((bytes + kMebibyte - 1) >> kMebibyteShift) +
               " MiB as RGBA, more than the " + std::to_string(kMaxDecodedImageBytes >> kMebibyteShift) +
               " MiB this viewer decodes";
    }
    return std::string();
}

DecodedImage decodeRgbImage(const std::string& fullPath)
{
    // The bytes are read here, not by the decoder, so that they can be
    // screened before it sees them. A material can name any path, so only a
    // regular file of a size an acceptable image can have is read.
    const RegularFileRead file = readRegularFileSayingWhy(fullPath, kMaxImageFileBytes);
    if (!file.bytes) {
        return failedDecode(file.failure);
    }
    if (file.bytes->empty()) {
        return failedDecode("an empty file");
    }
    return decodeRgbImageFromMemory(reinterpret_cast<const unsigned char*>(file.bytes->data()),
                                    file.bytes->size());
}

DecodedImage decodeRgbImageFromMemory(const unsigned char* bytes, std::size_t size)
{
    if (bytes == nullptr || size == 0) {
        return failedDecode("no bytes to decode");
    }
    // The file limit also keeps the length within the int the decoder takes.
    if (size > kMaxImageFileBytes) {
        return failedDecode(tooManyBytes(size));
    }
    if (std::string why = imageStructureFailure(bytes, size); !why.empty()) {
        return failedDecode(std::move(why));
    }
    // The header is read first, so an absurd declared size or decoding work
    // is refused before the decoder allocates or does anything for it.
    const int length = static_cast<int>(size);
    int width = 0;
    int height = 0;
    int channels = 0;
    forgetImageDecoderFailure();
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels)) {
        if (const std::optional<DeclaredImageSize> declared = declaredImageSize(bytes, size)) {
            if (std::string why = imageSizeFailure(declared->width, declared->height); !why.empty()) {
                return failedDecode(std::move(why));
            }
        }
        return failedDecode(decoderFailure());
    }
    // A BMP stores its rows top first when its height is negative, and the
    // header reading gives that height as it stands; the decoder itself turns
    // such rows the right way up.
    const long long rows = height < 0 ? -static_cast<long long>(height) : height;
    if (std::string why = imageSizeFailure(width, rows); !why.empty()) {
        return failedDecode(std::move(why));
    }
    if (std::string why = decodingWorkFailure(bytes, size, width, static_cast<int>(rows)); !why.empty()) {
        return failedDecode(std::move(why));
    }
    forgetImageDecoderFailure();
    unsigned char* pixels = stbi_load_from_memory(bytes, length, &width, &height, &channels, kFileChannels);
    if (pixels == nullptr) {
        return failedDecode(decoderFailure());
    }
    return keepIfAcceptable(pixels, width, height, channels);
}

namespace {

// About 10 ms of copying into the driver on llvmpipe.
constexpr std::size_t kStripBytes = std::size_t{8} << 20;

std::size_t rowBytes(int width)
{
    return static_cast<std::size_t>(width) * kRgbChannels;
}

// Level 0 of the bound texture in strips of rows, with `betweenSteps` after
// each. Levels given one by one instead of mipmapped by the driver would
// make Mesa hold every texture twice until its first draw.
void uploadInStrips(const DecodedImage& image, const std::function<void()>& betweenSteps)
{
    glTexImage2D(GL_TEXTURE_2D, kBaseLevel, GL_RGB, image.width, image.height, kNoBorder, GL_RGB,
                 GL_UNSIGNED_BYTE, nullptr);
    const int rowsPerStrip = static_cast<int>(std::max<std::size_t>(1, kStripBytes / rowBytes(image.width)));
    for (int row = 0; row < image.height; row += rowsPerStrip) {
        const int rows = std::min(rowsPerStrip, image.height - row);
        glTexSubImage2D(GL_TEXTURE_2D, kBaseLevel, 0, row, image.width, rows, GL_RGB, GL_UNSIGNED_BYTE,
                        image.pixels.get() + rowBytes(image.width) * static_cast<std::size_t>(row));
        betweenSteps();
    }
}

}  // namespace

GLuint uploadTexture2D(const DecodedImage& image, std::string* failure, const std::function<void()>& betweenSteps)
{
    const StartupTimer timer(&StartupProfile::textureUploadMs);
    if (startupProfile != nullptr) {
        ++startupProfile->texturesLoaded;
    }
    std::string refusal;
    if (image.pixels != nullptr) {
        GLint driverMaxSide = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &driverMaxSide);
        if (image.width > driverMaxSide || image.height > driverMaxSide) {
            refusal = pixelSize(image.width, image.height) + ", more than the " + std::to_string(driverMaxSide) +
                      " px on a side this GL driver takes";
        } else {
            refusal = imageSizeFailure(image.width, image.height);
        }
    }
    if (failure != nullptr) {
        *failure = refusal;
    }

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);

    const bool usable = image.pixels != nullptr && refusal.empty();
    const GLsizei width = usable ? image.width : kPlaceholderSize;
    const GLsizei height = usable ? image.height : kPlaceholderSize;
    const unsigned char* texels = usable ? image.pixels.get() : kPlaceholderTexel;

    GLint previousAlignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, kTightRowAlignment);
    if (usable && betweenSteps && rowBytes(width) * static_cast<std::size_t>(height) > kStripUploadBytes) {
        uploadInStrips(image, betweenSteps);
    } else {
        glTexImage2D(GL_TEXTURE_2D, kBaseLevel, GL_RGB, width, height, kNoBorder, GL_RGB,
                     GL_UNSIGNED_BYTE, texels);
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

void reportTextureFailure(const std::string& path, const std::string& reason)
{
    // One write of the whole line, so that it reaches the output in one piece.
    std::cout << (kReportPrefix + printable(path) + ": " + printable(reason) + "\n") << std::flush;
}

GLuint uploadTexture2DReporting(const std::string& path, const DecodedImage& image,
                                const std::function<void()>& betweenSteps)
{
    std::string refusal;
    const GLuint texture = uploadTexture2D(image, &refusal, betweenSteps);
    const std::string& why = image.failure.empty() ? refusal : image.failure;
    if (!why.empty()) {
        reportTextureFailure(path, why);
    }
    return texture;
}

GLuint loadTexture2D(const std::string& fileName, const std::string& directory)
{
    const std::string path = directory + "/" + fileName;
    DecodedImage image;
    {
        const StartupTimer timer(&StartupProfile::textureDecodeMs);
        image = decodeRgbImage(path);
    }
    return uploadTexture2DReporting(path, image);
}
