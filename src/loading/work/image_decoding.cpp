// Image decoding through stb_image, always to tight RGB rows.
#include "loading/work/image_decoding.h"

#include "common/regular_file.h"
#include "loading/work/image_screening.h"
#include "loading/work/memory_count.h"

#include <stb_image.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
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

constexpr int kGrey = 1;
constexpr int kGreyAlpha = 2;
constexpr int kRgba = 4;

constexpr int kMebibyteShift = 20;
constexpr std::size_t kMebibyte = std::size_t{1} << kMebibyteShift;

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
    image.pixels.reset(pixels, countedFree);
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
    auto* rgb = static_cast<unsigned char*>(countedMalloc(count * kRgbChannels));
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
    image.pixels.reset(rgb, countedFree);
    return image;
}

std::string tooManyBytes(std::size_t size)
{
    return std::to_string(size) + " bytes, more than the " + std::to_string(kMaxImageFileBytes) +
           " this viewer reads";
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
