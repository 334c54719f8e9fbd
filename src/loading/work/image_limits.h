// The largest images, files and decoding work this viewer accepts from an
// image file. Texture loading, the bounded decoder, the tests and the image
// fuzzer all read them here, none of them needing a GL context.
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

// A JPEG decodes every 8 x 8 block of every component its scan names, once
// per scan, however few bytes the scan holds: stb_image reads zeros where a
// scan's data runs out. So a JPEG's decoding work is counted in block
// decodes, each scan charged its components at full resolution. stb_image
// here decodes a block of an empty run in under 2 ns, and a block whose 63 AC
// coefficients all decode from zeros in 250 to 400 ns. The allowance is as
// much as 32 full scans of one component of an 8192 x 8192 image: libjpeg's
// standard progressive order for a colour photo needs 14 of them (such an 8K
// photo decodes in 1.3 s), a 20-scan order about 24. Work at the allowance
// takes 0.05 s in empty runs and 8.5 s at worst, every block decoded from
// zeros; a 1.4 MB file of 40,000 scans over 1024 x 1024 px, which took 7 s to
// decode, is 20 times over it.
constexpr int kJpegAllowanceSide = 8192;
constexpr long long kJpegAllowanceScans = 32;

// A GIF's LZW codes each stand for a string of up to 4096 pixels, which
// stb_image writes out in full even past the end of the picture; a 1 MB file
// of ever longer strings took 11 s on a 1 x 1 picture. A real GIF's strings
// add up to the pixels of its picture; up to twice that, and a fixed
// allowance for tiny pictures, is accepted.
constexpr long long kMaxGifStringPixelsPerPixel = 2;
constexpr long long kGifStringPixelAllowance = 1 << 16;
