// The upload every material texture gets, alike for colour, specular,
// normal and height maps; whatever cannot be used becomes a placeholder, and
// its reason a line.
#include "model/texture_loader.h"

#include "common/startup_profile.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string_view>
#include <utility>

namespace {

constexpr int kRgbChannels = 3;
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

constexpr char kReportPrefix[] = "ERROR::TEXTURE:: ";
// Control characters would break the report's one line, or be taken by a
// terminal as commands; they are shown as \xNN instead.
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

std::string pixelSize(long long width, long long height)
{
    return std::to_string(width) + " x " + std::to_string(height) + " px";
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
