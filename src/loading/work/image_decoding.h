// Image files decoded to RGB through stb_image, with no GL: what the loading
// worker runs for each image a material names.
#pragma once

#include "loading/work/image_limits.h"

#include <cstddef>
#include <memory>
#include <string>

// Tightly packed 8-bit RGB rows, top row first; no pixels when decoding failed.
struct DecodedImage {
    int width = 0;
    int height = 0;
    // Shared, so that pixels read from the loading worker's reply are used
    // where they lie, without a copy; whoever holds them keeps them alive.
    std::shared_ptr<const unsigned char> pixels;
    // Empty when there are pixels; otherwise why not, in a short phrase such
    // as "no such file". The decoder's own reasons may quote bytes of the
    // file, so the report escapes what it prints.
    std::string failure;
};

// Empty when an image of `width` x `height` pixels is one this viewer decodes
// (image_limits.h); otherwise why not. Takes sizes wider than an int, as a
// header may declare them.
std::string imageSizeFailure(long long width, long long height);

// No pixels, and the reason, when the file cannot be read or decoded, when
// it declares no pixels or more than image_limits.h allows, or when decoding
// it would take far more work than its size warrants, or never end. Touches
// no GL and no state shared between threads, so it may run on any thread;
// timing it is the caller's.
DecodedImage decodeRgbImage(const std::string& fullPath);
// The same decode from bytes already in memory.
DecodedImage decodeRgbImageFromMemory(const unsigned char* bytes, std::size_t size);
