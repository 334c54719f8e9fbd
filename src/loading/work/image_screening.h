// Screens image bytes, before the decoder is let near them, for what this
// system's stb_image (2.27) mishandles: structures on which it writes past
// its own tables, and files on which its work grows far beyond their size.
//
// Not a validator: bytes that pass may still fail to decode, which the
// decoder then reports without harm.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

struct DeclaredImageSize {
    long long width = 0;
    long long height = 0;
};

// The size a GIF's screen, a PNG's header chunk or a JPEG's frame header
// declares, read as the decoder reads it; nothing for other formats or
// where the header is missing. The decoder refuses a side over this
// viewer's limit while reading these headers, and then reports only that no
// format took the file: this gives the real reason.
std::optional<DeclaredImageSize> declaredImageSize(const unsigned char* bytes, std::size_t size);

// Empty unless the bytes hold a structure the decoder would write past its
// tables for (a JPEG Huffman table with more codes than a table has room
// for); then why they are refused, in a few lowercase words. Safe to run
// before the decoder reads any header.
std::string imageStructureFailure(const unsigned char* bytes, std::size_t size);

// Empty unless decoding the bytes of a `width` x `height` image would cost
// more than image_limits.h allows, or never end: a JPEG of too many scans for
// its size, a GIF whose codes stand for far more pixels than its picture has,
// a Radiance HDR image cut short inside a run-length row. Then why, in a few
// lowercase words.
std::string decodingWorkFailure(const unsigned char* bytes, std::size_t size, int width, int height);
