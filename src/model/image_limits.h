// The largest images and files this viewer accepts as images. Texture
// loading, the bounded decoder, the tests and the image fuzzer all read them
// here, none of them needing a GL context.
#pragma once

#include <cstddef>

// The longest side accepted: llvmpipe's GL_MAX_TEXTURE_SIZE, which most
// desktop drivers match. The upload also keeps to the driver's own maximum.
constexpr int kMaxImageSide = 16384;

// stb_image hands an 8-bit image back with at most 4 channels (RGBA).
constexpr std::size_t kDecodedBytesPerPixel = 4;
// The most decoded bytes an image may have. 8192 x 8192 RGBA is 256 MiB, so
// every 8K texture passes, and the RGB copy the upload reads is 192 MiB; a
// 16K x 16K image would be 1 GiB before mipmaps, more than a viewer of a
// hallway should hold for one texture. A hostile header declaring the most
// this allows costs no more memory than a real 8K texture would.
constexpr std::size_t kMaxDecodedImageBytes = std::size_t{256} << 20;
constexpr std::size_t kMaxImagePixels = kMaxDecodedImageBytes / kDecodedBytesPerPixel;

// The most bytes read from an image file: the largest image accepted,
// stored uncompressed at 16 bits a channel as PSD and PNM files can be, with
// room for headers and metadata.
constexpr std::size_t kImageFileHeadroomBytes = std::size_t{1} << 20;
constexpr std::size_t kMaxImageFileBytes = 2 * kMaxDecodedImageBytes + kImageFileHeadroomBytes;
