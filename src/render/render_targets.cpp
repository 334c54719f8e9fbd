#include "render/render_targets.h"

#include "common/window.h"
#include "render/bloom_pass.h"
#include "render/shadow_pass.h"

#include <iostream>

RenderTarget godRayTarget;
RenderTarget bloomBrightTarget;
RenderTarget bloomBlurTarget;
GLuint shadowCubeMap = 0;
GLuint shadowFramebuffer = 0;

RenderTarget createRenderTarget(GLint width, GLint height)
{
    RenderTarget target;
    target.width = width;
    target.height = height;

    glGenTextures(1, &target.colourTexture);
    glBindTexture(GL_TEXTURE_2D, target.colourTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    // Nearest and no mipmaps: the images are read back at (or near) their
    // own resolution, so filtering would only cost time.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);

    glGenFramebuffersEXT(1, &target.framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target.framebuffer);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                              target.colourTexture, 0);

    glGenRenderbuffersEXT(1, &target.depthRenderbuffer);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, target.depthRenderbuffer);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 target.depthRenderbuffer);
    return target;
}

namespace {

void createShadowTarget()
{
    glGenFramebuffers(1, &shadowFramebuffer);
    glGenTextures(1, &shadowCubeMap);
    glBindTexture(GL_TEXTURE_CUBE_MAP, shadowCubeMap);
    for (int face = 0; face < kCubeFaceCount; ++face) {
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT, kShadowMapSize,
                     kShadowMapSize, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);

    // One layered attachment: the geometry stage picks the face per triangle.
    glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, shadowCubeMap, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
}

}  // namespace

void createRenderTargets()
{
    godRayTarget = createRenderTarget(kWindowWidth, kWindowHeight);
    bloomBrightTarget = createRenderTarget(kBloomWidth, kBloomHeight);
    bloomBlurTarget = createRenderTarget(kBloomWidth, kBloomHeight);

    createShadowTarget();
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::cout << "Framebuffer not complete!" << std::endl;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
