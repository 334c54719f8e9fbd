// The off-screen images the effect passes draw into and the lighting pass
// samples. Each pass makes and owns its own target; this is the colour
// target they share the making of. Made once at start-up and kept for the
// run: a new frame size gives them new storage, never new names.
#pragma once

#include "common/frame_size.h"

#include <GL/glew.h>

struct RenderTarget {
    GLuint framebuffer = 0;
    GLuint colourTexture = 0;
    GLuint depthRenderbuffer = 0;
    GLint width = 0;
    GLint height = 0;
};

// Made through the framebuffer-object extension's entry points, or through
// the core ones where the driver does not export all seven of those.
RenderTarget createRenderTarget(FrameSize size);

// New storage of `size` for the target's texture and depth buffer, on the
// same names; the framebuffer keeps both attached. Leaves the texture and
// the renderbuffer it remade bound.
void resizeRenderTarget(RenderTarget& target, FrameSize size);
