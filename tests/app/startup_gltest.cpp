// Start-up against the real driver: the render targets as GL holds them and a
// quiet build of the five programs (the window itself: window_e2etest.cpp).
#include "render/pass_table.h"
#include "render/lighting_pass.h"
#include "render/shader_programs.h"
#include "render/shadow_pass.h"
#include "support/started_viewer.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

namespace {

struct StartupTest : testing::Test {
    StartedViewer& viewer = startedViewer();
};

GLint textureLevelParameter(GLenum target, GLenum parameter)
{
    GLint value = 0;
    glGetTexLevelParameteriv(target, 0, parameter, &value);
    return value;
}

GLint textureParameter(GLenum target, GLenum parameter)
{
    GLint value = 0;
    glGetTexParameteriv(target, parameter, &value);
    return value;
}

GLint attachmentParameter(GLenum attachment, GLenum parameter)
{
    GLint value = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, parameter, &value);
    return value;
}

TEST_F(StartupTest, BuildsEveryProgramFromItsFilesWithoutPrintingAnything)
{
    EXPECT_EQ(viewer.startupOutput, "");
    const auto expectLinked = [](const ShaderProgram& program, const ShaderFiles& files) {
        SCOPED_TRACE(files.vertex);
        GLint linked = 0;
        GLint shaders = 0;
        glGetProgramiv(program.program, GL_LINK_STATUS, &linked);
        glGetProgramiv(program.program, GL_ATTACHED_SHADERS, &shaders);
        EXPECT_EQ(linked, GL_TRUE);
        EXPECT_EQ(shaders, files.geometry != nullptr ? 3 : 2);
    };
    for (const ShaderProgram& variant : viewer.programs.lightingVariants) {
        expectLinked(variant, lightingPass.shaderFiles);
    }
    for (const RenderPass* pass : passTable()) {
        expectLinked(viewer.programs.*pass->programSlot, pass->shaderFiles);
    }
}

TEST_F(StartupTest, LeavesTheWindowsFramebufferBound)
{
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

// Every pass that hands on a colour image draws it at its own viewport's
// size, with a depth buffer of the same size.
TEST_F(StartupTest, ColourTargetsHaveTheirPassSizesFormatsAndDepth)
{
    int checked = 0;
    for (const RenderPass* pass : passTable()) {
        if (!pass->produces || pass->produces->textureTarget != GL_TEXTURE_2D) {
            continue;
        }
        SCOPED_TRACE(pass->name);
        ++checked;
        const GLuint colour = *pass->produces->texture;
        glBindTexture(GL_TEXTURE_2D, colour);
        const FrameSize size = pass->viewportSize();
        EXPECT_EQ(textureLevelParameter(GL_TEXTURE_2D, GL_TEXTURE_WIDTH), size.width);
        EXPECT_EQ(textureLevelParameter(GL_TEXTURE_2D, GL_TEXTURE_HEIGHT), size.height);
        EXPECT_EQ(textureLevelParameter(GL_TEXTURE_2D, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
        EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
        EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
        EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), GL_REPEAT);
        EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T), GL_REPEAT);
        glBindTexture(GL_TEXTURE_2D, 0);

        ASSERT_NE(pass->framebuffer, nullptr);
        glBindFramebuffer(GL_FRAMEBUFFER, *pass->framebuffer);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        EXPECT_EQ(attachmentParameter(GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME),
                  static_cast<GLint>(colour));
        EXPECT_EQ(attachmentParameter(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE), GL_RENDERBUFFER);
        const GLint depth = attachmentParameter(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);

        GLint depthFormat = 0;
        GLint depthWidth = 0;
        glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(depth));
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_INTERNAL_FORMAT, &depthFormat);
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &depthWidth);
        EXPECT_EQ(depthFormat, GL_DEPTH_COMPONENT24);
        EXPECT_EQ(depthWidth, size.width);
    }
    EXPECT_EQ(checked, 3) << "god rays, bloom bright, bloom";
}

TEST_F(StartupTest, ShadowCubeMapIsCompleteLayeredDepthWithoutColour)
{
    glBindTexture(GL_TEXTURE_CUBE_MAP, shadowCubeMap);
    for (int face = 0; face < 6; ++face) {
        const GLenum target = GL_TEXTURE_CUBE_MAP_POSITIVE_X + face;
        EXPECT_EQ(textureLevelParameter(target, GL_TEXTURE_WIDTH), 1024);
        EXPECT_EQ(textureLevelParameter(target, GL_TEXTURE_HEIGHT), 1024);
        EXPECT_GT(textureLevelParameter(target, GL_TEXTURE_DEPTH_SIZE), 0);
    }
    EXPECT_EQ(textureParameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(textureParameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R), GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

    glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(attachmentParameter(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME),
              static_cast<GLint>(shadowCubeMap));
    EXPECT_EQ(attachmentParameter(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_LAYERED), GL_TRUE);
    GLint drawBuffer = -1;
    GLint readBuffer = -1;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    EXPECT_EQ(drawBuffer, GL_NONE);
    EXPECT_EQ(readBuffer, GL_NONE);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

TEST_F(StartupTest, ShadowProjectionIsSquareNinetyDegreesFromNearToFar)
{
    EXPECT_FLOAT_EQ(farPlane, 10.0f);
    EXPECT_NEAR(shadowProjection[0][0], 1.0f, 1e-6f);
    EXPECT_NEAR(shadowProjection[1][1], 1.0f, 1e-6f);
    EXPECT_NEAR(shadowProjection[2][2], -(10.0f + 0.02f) / (10.0f - 0.02f), 1e-6f);
    EXPECT_FLOAT_EQ(shadowProjection[2][3], -1.0f);
    EXPECT_NEAR(shadowProjection[3][2], -2.0f * 10.0f * 0.02f / (10.0f - 0.02f), 1e-6f);
}

}  // namespace
