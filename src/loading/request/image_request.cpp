// An image request: one image file decoded to RGB (image_decoding.h). Its
// part of the reply is the image's size, its failure and its rows, which
// must agree with each other and with the size limits.
#include "loading/request/reply_fields.h"
#include "loading/request/request_kinds.h"

namespace {

constexpr std::size_t kRgbBytesPerPixel = 3;

void runImage(const std::string& path, LoadReply& reply)
{
    reply.image = decodeRgbImage(path);
}

bool imageAnswered(const LoadReply& reply)
{
    return reply.image.pixels != nullptr;
}

void writeImage(const LoadReply& reply, ReplyWriter& w)
{
    const DecodedImage& image = reply.image;
    w.value(static_cast<std::int32_t>(image.width));
    w.value(static_cast<std::int32_t>(image.height));
    w.text(image.failure);
    const std::size_t pixelBytes =
        image.pixels ? static_cast<std::size_t>(image.width) * image.height * kRgbBytesPerPixel : 0;
    w.list(image.pixels.get(), pixelBytes);
}

void readImage(ReplyReader& r, const std::shared_ptr<const void>& owner, LoadReply& reply)
{
    DecodedImage& image = reply.image;
    const auto width = r.value<std::int32_t>("the image width");
    const auto height = r.value<std::int32_t>("the image height");
    image.failure = r.text("the image failure");
    std::uint64_t pixelBytes = 0;
    const unsigned char* pixels = r.list<unsigned char>(pixelBytes, "the pixels");
    if (r.failed()) {
        return;
    }
    if (pixelBytes == 0) {
        if (image.failure.empty()) {
            r.fail("an image with neither pixels nor a failure");
        }
        return;
    }
    if (!image.failure.empty()) {
        r.fail("an image with both pixels and a failure");
    } else if (std::string why = imageSizeFailure(width, height); !why.empty()) {
        r.fail("an image of " + why);
    } else if (pixelBytes != static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * kRgbBytesPerPixel) {
        r.fail(std::to_string(pixelBytes) + " bytes of pixels for " + std::to_string(width) + " x " +
               std::to_string(height) + " px");
    } else {
        image.width = width;
        image.height = height;
        image.pixels = std::shared_ptr<const unsigned char>(owner, pixels);
    }
}

}  // namespace

extern const RequestKind kImageRequest{"an image decode", kImageLimits, runImage, imageAnswered, writeImage, readImage};
