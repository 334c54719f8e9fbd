// The off-screen images the effect passes draw into and the lighting pass
// samples: three colour targets with their own depth, and the shadow cube
// map with its layered framebuffer. Made once at start-up, kept for the run.
#pragma once

#include <GL/glew.h>

struct RenderTarget {
    GLuint framebuffer = 0;
    GLuint colourTexture = 0;
    GLuint depthRenderbuffer = 0;
    GLint width = 0;
    GLint height = 0;
};

extern RenderTarget godRayTarget;
extern RenderTarget bloomBrightTarget;
extern RenderTarget bloomBlurTarget;
extern GLuint shadowCubeMap;
extern GLuint shadowFramebuffer;

// Made through the framebuffer-object extension's entry points, or through
// the core ones where the driver does not export all seven of those.
RenderTarget createRenderTarget(GLint width, GLint height);

// Creates the three colour targets, then the shadow cube map and its
// framebuffer, reports an incomplete shadow framebuffer and leaves the
// window's framebuffer bound.
void createRenderTargets();
