// Turns an image that a material names, decoded by the loading worker
// (image_decoding.h), into a mipmapped GL 2D texture.
#pragma once

#include "loading/work/image_decoding.h"

#include <GL/glew.h>

#include <cstddef>
#include <functional>
#include <string>

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
