// Turns an image file that a material names into a mipmapped GL 2D texture.
// Decoding (no GL, safe on any thread) and uploading (on the GL thread) are
// separate steps, so that start-up can decode beside the GL thread;
// loadTexture2D does both for one file.
#pragma once

#include "model/image_limits.h"

#include <GL/glew.h>

#include <cstddef>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

struct FreeDecodedPixels {
    void operator()(unsigned char* pixels) const { std::free(pixels); }
};

// Tightly packed 8-bit RGB rows, top row first; no pixels when decoding failed.
struct DecodedImage {
    int width = 0;
    int height = 0;
    std::unique_ptr<unsigned char, FreeDecodedPixels> pixels;
    // Empty when there are pixels; otherwise why not, in one short lowercase
    // phrase such as "no such file".
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

// Above this many bytes of RGB (2048 x 2048 is 12 MiB, taken in about 15 ms
// by llvmpipe) an upload that is given steps to take between goes up in
// strips: a software renderer takes a 4096 x 4096 image in over a few
// hundred milliseconds when it comes in one call.
inline constexpr std::size_t kStripUploadBytes = std::size_t{16} << 20;

// Makes a new texture from `image`, with mipmaps, repeat wrapping and
// trilinear filtering; from a 1x1 placeholder when the image has no pixels or
// is larger than the GL driver takes. `failure`, when given, is set to why
// the driver could not take it, or emptied; a decoding failure is already in
// image.failure. `betweenSteps`, when given, runs between the strips of an
// image over kStripUploadBytes (the window's event poll, while start-up
// loads); the driver's mipmapping stays one step.
// Leaves no texture bound to GL_TEXTURE_2D on the active unit.
GLuint uploadTexture2D(const DecodedImage& image, std::string* failure = nullptr,
                       const std::function<void()>& betweenSteps = nullptr);

// Prints the one line by which the viewer reports a texture it could not
// use: "ERROR::TEXTURE:: <path>: <reason>", flushed at once.
void reportTextureFailure(const std::string& path, const std::string& reason);

// uploadTexture2D of `image`, the decode of the file at `path`, reporting
// it in that line when it could not be used, for want of pixels or because
// the driver refused its size.
GLuint uploadTexture2DReporting(const std::string& path, const DecodedImage& image,
                                const std::function<void()>& betweenSteps = nullptr);

// Loads `directory` + "/" + `fileName`, taken as given: no separator or case
// changes. Never fails: an unusable file yields the placeholder texture, and
// the line of reportTextureFailure.
GLuint loadTexture2D(const std::string& fileName, const std::string& directory);
