#include "render/render_targets.h"

#include "render/gl_dialect.h"

namespace {

// The seven framebuffer-object calls a colour target is made with. The
// extension's entry points and the core ones take the same arguments and
// the same enum values, so either set fills this table.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
};

// The extension's entry points where the driver exports all seven. A core
// profile may drop GL_EXT_framebuffer_object, and the loader then leaves
// them null; the core entry points are part of every 3.x context, and the
// framebuffers they make bind like any other.
FramebufferCalls framebufferCalls()
{
#if VORLUNE_GL_FRAMEBUFFER_EXTENSION
    if (glGenFramebuffersEXT != nullptr && glBindFramebufferEXT != nullptr && glFramebufferTexture2DEXT != nullptr
        && glGenRenderbuffersEXT != nullptr && glBindRenderbufferEXT != nullptr
        && glRenderbufferStorageEXT != nullptr && glFramebufferRenderbufferEXT != nullptr) {
        return {glGenFramebuffersEXT,  glBindFramebufferEXT,     glFramebufferTexture2DEXT,
                glGenRenderbuffersEXT, glBindRenderbufferEXT,    glRenderbufferStorageEXT,
                glFramebufferRenderbufferEXT};
    }
#endif
    return {glGenFramebuffers,  glBindFramebuffer,     glFramebufferTexture2D, glGenRenderbuffers,
            glBindRenderbuffer, glRenderbufferStorage, glFramebufferRenderbuffer};
}

}  // namespace

RenderTarget createRenderTarget(FrameSize size)
{
    RenderTarget target;
    target.width = size.width;
    target.height = size.height;

    glGenTextures(1, &target.colourTexture);
    glBindTexture(GL_TEXTURE_2D, target.colourTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    // Nearest and no mipmaps: the images are read back at (or near) their
    // own resolution, so filtering would only cost time.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size.width, size.height, 0, kColourTargetUploadFormat, GL_UNSIGNED_BYTE, nullptr);

    const FramebufferCalls gl = framebufferCalls();
    gl.genFramebuffers(1, &target.framebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER_EXT, target.framebuffer);
    gl.framebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, target.colourTexture, 0);

    gl.genRenderbuffers(1, &target.depthRenderbuffer);
    gl.bindRenderbuffer(GL_RENDERBUFFER_EXT, target.depthRenderbuffer);
    gl.renderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, size.width, size.height);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                               target.depthRenderbuffer);
    return target;
}

void resizeRenderTarget(RenderTarget& target, FrameSize size)
{
    target.width = size.width;
    target.height = size.height;
    glBindTexture(GL_TEXTURE_2D, target.colourTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size.width, size.height, 0, kColourTargetUploadFormat, GL_UNSIGNED_BYTE,
                 nullptr);
    const FramebufferCalls gl = framebufferCalls();
    gl.bindRenderbuffer(GL_RENDERBUFFER_EXT, target.depthRenderbuffer);
    gl.renderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, size.width, size.height);
}
