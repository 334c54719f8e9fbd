// Turns an image file that a material names into a mipmapped GL 2D texture.
// Decoding and uploading are separate steps so each can be measured alone;
// loadTexture2D is the one call model import makes.
#pragma once

#include <GL/glew.h>

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
};

DecodedImage decodeRgbImage(const std::string& fullPath);

// Makes a new texture from `image` (a 1x1 placeholder when it has no pixels),
// with mipmaps, repeat wrapping and trilinear filtering. Leaves no texture
// bound to GL_TEXTURE_2D on the active unit.
GLuint uploadTexture2D(const DecodedImage& image);

// Loads `directory` + "/" + `fileName`, taken as given: no separator or case
// changes. Never fails: an unreadable file yields the placeholder texture.
GLuint loadTexture2D(const std::string& fileName, const std::string& directory);
