// The stb_image decoders, compiled into the viewer instead of taken from a
// prebuilt copy, so that they allocate through a bound. Their headers and
// chunks can declare sizes that the decoders allocate before they find the
// data missing: a 100-byte PNG whose image-data chunk claims a gigabyte gets
// a gigabyte. No single block beyond what the largest accepted image needs
// is handed out; the decoder then fails as out of memory, and the texture
// becomes the placeholder.
#include "model/texture_loader.h"

#include <cstddef>
#include <cstdlib>

namespace {

// The largest block a 4096 x 4096 image may need: a high dynamic range
// image decodes to 3 floats a pixel (192 MiB) before it becomes bytes, with
// room to spare for the row filters and zlib buffers of 16-bit PNGs.
constexpr std::size_t kMaxDecoderBlock = std::size_t{256} << 20;

void* boundedMalloc(std::size_t size)
{
    return size <= kMaxDecoderBlock ? std::malloc(size) : nullptr;
}

void* boundedRealloc(void* block, std::size_t size)
{
    return size <= kMaxDecoderBlock ? std::realloc(block, size) : nullptr;
}

}  // namespace

#define STBI_MALLOC(size) boundedMalloc(size)
#define STBI_REALLOC(block, size) boundedRealloc(block, size)
#define STBI_FREE(block) std::free(block)
// The decoders refuse larger images themselves, before allocating for them.
#define STBI_MAX_DIMENSIONS kMaxImageSide
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
