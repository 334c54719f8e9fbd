// A lost context's objects made again: the same frame from new names only.
// Once the new objects are made, every object the context held before is
// deleted here, as a lost context takes them all; a frame that still reached
// for one would differ, or raise a GL error.
#include "app/context_restore.h"
#include "app/overlay.h"
#include "app/scene.h"
#include "common/frame_size.h"
#include "common/render_toggles.h"
#include "support/framebuffer_pixels.h"
#include "support/global_state.h"
#include "support/started_viewer.h"
#include "support/worker_program.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Far above the names a test process makes of any one kind.
constexpr GLuint kHighestNameScanned = 1u << 16;

// One kind of GL object: how to tell a live name, and how to delete one.
struct ObjectKind {
    GLboolean (*isLive)(GLuint);
    void (*remove)(GLuint);
    std::vector<GLuint> names{};
};

std::vector<ObjectKind> liveObjects()
{
    std::vector<ObjectKind> kinds = {
        {glIsTexture, [](GLuint name) { glDeleteTextures(1, &name); }},
        {glIsBuffer, [](GLuint name) { glDeleteBuffers(1, &name); }},
        {glIsVertexArray, [](GLuint name) { glDeleteVertexArrays(1, &name); }},
        {glIsFramebuffer, [](GLuint name) { glDeleteFramebuffers(1, &name); }},
        {glIsRenderbuffer, [](GLuint name) { glDeleteRenderbuffers(1, &name); }},
        {glIsProgram, [](GLuint name) { glDeleteProgram(name); }},
        {glIsQuery, [](GLuint name) { glDeleteQueries(1, &name); }},
    };
    for (ObjectKind& kind : kinds) {
        for (GLuint name = 1; name < kHighestNameScanned; ++name) {
            if (kind.isLive(name)) {
                kind.names.push_back(name);
            }
        }
    }
    return kinds;
}

std::vector<GLubyte> drawFrame(const Viewer& viewer, bool withOverlay)
{
    overlayShown = withOverlay;
    // The tour's frame at 3 s, with the light still: the same frame each time.
    renderScriptedFrame(viewer, ScriptedFrame{3.0, RenderToggles{true, true, true, false}, std::nullopt});
    return readPixels(0, GL_RGB, 0, 0, frameSize.width, frameSize.height);
}

TEST(ContextRestoreTest, RemadeObjectsDrawTheSameFrameWithNoneOfTheOldOnes)
{
    StartedViewer& viewer = startedViewer();
    resetGlobalState();
    clearScene();
    SceneComposition scene(kWorkerProgram);
    ASSERT_TRUE(scene.finish());
    // The overlay makes its objects and queries the first time it shows.
    drawFrame(viewer, true);
    const std::vector<GLubyte> before = drawFrame(viewer, false);

    std::vector<ObjectKind> old = liveObjects();
    remakeGLObjects(viewer, scene);
    for (ObjectKind& kind : old) {
        for (GLuint name : kind.names) {
            kind.remove(name);
        }
    }
    while (glGetError() != GL_NO_ERROR) {
    }

    EXPECT_TRUE(drawFrame(viewer, false) == before) << "the frame drawn from the new objects differs";
    drawFrame(viewer, true);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // Twice over, as a page whose context is lost again.
    remakeGLObjects(viewer, scene);
    EXPECT_TRUE(drawFrame(viewer, false) == before);
    resetGlobalState();
    clearScene();
}

}  // namespace
