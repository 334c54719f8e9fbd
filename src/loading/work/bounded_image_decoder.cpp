// The stb_image decoders, compiled into the viewer instead of taken from a
// prebuilt copy, so that they allocate through a bound. Their headers and
// chunks can declare sizes that the decoders allocate before they find the
// data missing: a 100-byte PNG whose image-data chunk claims a gigabyte gets
// a gigabyte. No single block beyond what the largest accepted image needs
// is handed out; the decoder then fails as out of memory, and the texture
// becomes the placeholder. Every block counts against the request's memory
// limit (memory_count.h).
#include "loading/work/image_limits.h"
#include "loading/work/memory_count.h"

#include <cstddef>
#include <cstdlib>

namespace {

// The widest form a pixel takes inside the decoder: a high dynamic range
// image decodes to 3 floats a pixel before it becomes bytes. A 16-bit RGBA
// PNG needs 8 bytes a pixel, plus a filter byte a row in its inflated data,
// and a 16-bit PSD or PNM at most as many.
constexpr std::size_t kWidestDecodedPixelBytes = 3 * sizeof(float);
// Room beyond the pixels for row filter bytes and the rounding of buffers.
constexpr std::size_t kDecoderBlockHeadroom = std::size_t{1} << 20;
constexpr std::size_t kMaxDecoderBlock = kMaxImagePixels * kWidestDecodedPixelBytes + kDecoderBlockHeadroom;

// Zeroed, because the JPEG decoder reads state that nothing may have set: a
// scan can name a Huffman table the file defines only later or never, and
// the decoder then indexes its arrays with whatever the block held. A
// zeroed table decodes every code as its first symbol, within its arrays.
void* boundedMalloc(std::size_t size)
{
    return size <= kMaxDecoderBlock ? countedCalloc(size) : nullptr;
}

void* boundedRealloc(void* block, std::size_t size)
{
    return size <= kMaxDecoderBlock ? countedRealloc(block, size) : nullptr;
}

}  // namespace

#define STBI_MALLOC(size) boundedMalloc(size)
#define STBI_REALLOC(block, size) boundedRealloc(block, size)
#define STBI_FREE(block) countedFree(block)
// The decoders refuse larger images themselves, before allocating for them.
#define STBI_MAX_DIMENSIONS kMaxImageSide
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

// Declared where texture loading uses it; defined here, beside the one
// variable it clears. The decoder keeps a reason for its last failure on each
// thread, replaced only by its next failure that gives one; some failures
// give none, and would be reported with the reason of an earlier one.
void forgetImageDecoderFailure()
{
    stbi__g_failure_reason = nullptr;
}
