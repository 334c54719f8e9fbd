// The context the GL tests, the capture program and the benchmark render on
// where there is no display: a 3.3 core context whose framebuffer 0 is shaped
// like the viewer's window, so the lighting pass draws into it as there.
#include "common/window.h"
#include "support/framebuffer_pixels.h"
#include "support/gl_context.h"
#include "support/platform_skips.h"

#include <gtest/gtest.h>

#include <array>

namespace {

GLint defaultFramebufferParameter(GLenum attachment, GLenum parameter)
{
    GLint value = -1;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, parameter, &value);
    return value;
}

TEST(OffscreenContext, IsAThreeThreeCoreContextThatNamesItsPlatformAndRenderer)
{
    VORLUNE_SKIP_ON_WINDOWS("the offscreen context is EGL's, which Windows lacks; the tests draw on a hidden window");
    const RenderContext& context = testGLContext();
    EXPECT_EQ(context.window, nullptr);
    EXPECT_TRUE(context.offscreen.platform == kEglDevicePlatform
                || context.offscreen.platform == kEglSurfacelessPlatform)
        << context.offscreen.platform;
    EXPECT_FALSE(context.offscreen.renderer.empty());

    GLint major = 0;
    GLint minor = 0;
    GLint profile = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_GE(major * 10 + minor, 33);
    EXPECT_NE(profile & GL_CONTEXT_CORE_PROFILE_BIT, 0);
    EXPECT_EQ(profile & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT, 0);
}

TEST(OffscreenContext, FramebufferZeroIsCompleteWindowSizedWithTheWindowsBuffers)
{
    testGLContext();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    for (GLenum size : {GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE,
                        GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE, GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE}) {
        EXPECT_EQ(defaultFramebufferParameter(GL_BACK_LEFT, size), 8) << size;
    }
    EXPECT_EQ(defaultFramebufferParameter(GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE), 24);
    EXPECT_EQ(defaultFramebufferParameter(GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE), 8);
    // The capture program reads the finished frame from the back buffer.
    GLint drawBuffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    EXPECT_EQ(drawBuffer, GL_BACK);

    // A clear reaches every pixel of a window-sized image and reads back.
    glViewport(0, 0, kWindowWidth, kWindowHeight);
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    const std::array<GLubyte, 4> cleared{51, 102, 153, 255};
    for (const auto& [x, y] : {std::array<GLint, 2>{0, 0}, std::array<GLint, 2>{kWindowWidth - 1, kWindowHeight - 1}}) {
        EXPECT_EQ(readPixel(0, x, y), cleared) << x << "," << y;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
