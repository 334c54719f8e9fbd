// Fuzzes image decoding as texture loading does it: any bytes, decoded to
// 8-bit RGB. Beyond crashes and sanitizer reports, a result that breaks what
// the upload or the failure report relies on is a finding.
//
// The upload needs a sensible size and a full block of 3 bytes a pixel,
// every one of which is read here; the report needs a reason exactly when
// there are no pixels.
#include "model/image_limits.h"
#include "model/image_screening.h"
#include "model/texture_loader.h"

#include <stb_image.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

constexpr std::size_t kRgbChannels = 3;
// An image the limits accept costs time in proportion to its pixels, seconds
// under the sanitizers for the largest, mostly spent filling pixels the
// parsers never look at: mutated sizes made the run ten times slower. Inputs
// that declare more pixels than this, within the limits, are left out, so
// the run explores the parsers; sizes beyond the limits, which are refused
// before decoding, still run.
constexpr long long kMaxFuzzedPixels = 1 << 20;

// The size the header declares, read as decoding reads it: only after the
// screening, which keeps the header reading from writing past its tables.
bool declaresLargeAcceptedImage(const std::uint8_t* data, std::size_t size)
{
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
        !imageStructureFailure(data, size).empty()) {
        return false;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(data, static_cast<int>(size), &width, &height, &channels)) {
        return false;
    }
    const long long rows = height < 0 ? -static_cast<long long>(height) : height;
    const long long pixels = static_cast<long long>(width) * rows;
    return pixels > kMaxFuzzedPixels && imageSizeFailure(width, rows).empty();
}

void fail(const char* why, int width, int height)
{
    std::fprintf(stderr, "decoded image unsafe to upload: %s (%d x %d)\n", why, width, height);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (declaresLargeAcceptedImage(data, size)) {
        return 0;
    }
    const DecodedImage image = decodeRgbImageFromMemory(data, size);
    if (!image.pixels) {
        if (image.failure.empty()) {
            fail("no pixels and no reason", image.width, image.height);
        }
        return 0;
    }
    if (!image.failure.empty()) {
        fail("pixels and a reason for having none", image.width, image.height);
    }
    if (image.width <= 0 || image.height <= 0) {
        fail("no pixels in a decoded image", image.width, image.height);
    }
    if (image.width > kMaxImageSide || image.height > kMaxImageSide) {
        fail("side beyond the limit", image.width, image.height);
    }
    if (static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) > kMaxImagePixels) {
        fail("more pixels than the limit", image.width, image.height);
    }
    // The upload reads every byte; reading them here lets AddressSanitizer
    // catch a pixel block shorter than its size claims.
    const std::size_t bytes =
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * kRgbChannels;
    volatile unsigned char sink = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        sink = sink ^ image.pixels.get()[i];
    }
    return 0;
}
