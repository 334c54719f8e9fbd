// Large textures uploaded in steps short enough that the window's events can
// be polled between them: a software renderer takes a 4096 x 4096 image in
// over a few hundred milliseconds when it comes in one call, so its rows go
// up in strips. Textures below kStagedUploadBytes keep the one-call upload.
#pragma once

#include "model/texture_loader.h"

#include <GL/glew.h>

#include <cstddef>
#include <functional>

// Above this many bytes of RGB at level 0 (2048 x 2048 is 12 MiB, taken in
// about 15 ms on llvmpipe) an image goes up in strips.
inline constexpr std::size_t kStagedUploadBytes = std::size_t{16} << 20;

// Whether `image` is large enough to be uploaded in steps.
bool needsStagedUpload(const DecodedImage& image);

// Makes the texture as uploadTexture2D does (same format, wrapping,
// filtering and mipmaps), calling `betweenSteps` after each strip of rows.
// The driver's mipmapping stays one step (about 100 ms for 4096 x 4096 on
// llvmpipe): levels uploaded one by one instead make Mesa hold each texture
// twice until its first draw. Leaves no texture bound to GL_TEXTURE_2D.
GLuint uploadTextureInSteps(const DecodedImage& image, const std::function<void()>& betweenSteps);
