// Turns an image file that a material names into a mipmapped GL 2D texture.
// Decoding and uploading are separate steps so each can be measured alone;
// loadTexture2D is the one call model import makes.
#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <cstdlib>
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
    // Why there are no pixels; empty when there are.
    std::string failure;
};

// Images wider or taller than this are refused without being decoded. The
// scene's largest texture is 256 texels wide, and a 4096 x 4096 image is
// already 48 MiB of RGB; a hostile or corrupt header can declare sizes for
// which the decoder would allocate gigabytes and fill them with nothing.
constexpr int kMaxImageSide = 4096;

// No pixels when the file cannot be read or decoded, or when it declares no
// pixels at all or a side longer than kMaxImageSide.
DecodedImage decodeRgbImage(const std::string& fullPath);
// The same decode from bytes already in memory.
DecodedImage decodeRgbImageFromMemory(const unsigned char* bytes, std::size_t size);

// Makes a new texture from `image` (a 1x1 placeholder when it has no pixels),
// with mipmaps, repeat wrapping and trilinear filtering. Leaves no texture
// bound to GL_TEXTURE_2D on the active unit.
GLuint uploadTexture2D(const DecodedImage& image, std::string* failure = nullptr);

// Loads `directory` + "/" + `fileName`, taken as given: no separator or case
// changes. Never fails: an unreadable file yields the placeholder texture.
GLuint loadTexture2D(const std::string& fileName, const std::string& directory);
