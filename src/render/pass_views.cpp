#include "render/pass_views.h"

#include "common/frame_size.h"
#include "render/pass_images.h"
#include "render/pass_table.h"
#include "render/screen_quad.h"
#include "render/shader_program.h"
#include "render/uniforms.h"

#include <GL/glew.h>

#include <algorithm>
#include <optional>

namespace {

// Dark but not black, so the cross's faces (far depth is black) stand out
// from the space around them.
constexpr ClearColour kViewBackground{0.06f, 0.06f, 0.08f, 1.0f};
// The cube map unfolded as a cross: four faces across, three down.
constexpr int kCrossColumns = 4;
constexpr int kCrossRows = 3;
// Only the screen quad is drawn, which binds no textures of its own.
constexpr GLint kViewImageUnit = 0;

const ShaderFiles kImageViewFiles{"data/shader/PassView.vs", nullptr, "data/shader/PassView.fs"};
const ShaderFiles kCubeViewFiles{"data/shader/PassView.vs", nullptr, "data/shader/PassViewCube.fs"};

struct ViewPrograms {
    ShaderProgram image;
    ShaderProgram cube;
};

std::optional<ViewPrograms> viewPrograms;

const ViewPrograms& programs()
{
    if (!viewPrograms) {
        viewPrograms = ViewPrograms{ShaderProgram(kImageViewFiles), ShaderProgram(kCubeViewFiles)};
    }
    return *viewPrograms;
}

const char* imageName(PassView view)
{
    switch (view) {
    case PassView::GodRays:
        return kGodRayImage;
    case PassView::BloomBright:
        return kBloomBrightImage;
    case PassView::BloomBlur:
        return kBloomImage;
    case PassView::ShadowMap:
        return kShadowMapImage;
    case PassView::Frame:
        break;
    }
    return nullptr;
}

// The largest 4:3 cross of whole-pixel faces the frame holds, centred.
void setCrossViewport(FrameSize frame)
{
    const int face = std::max(1, std::min(frame.width / kCrossColumns, frame.height / kCrossRows));
    glViewport((frame.width - face * kCrossColumns) / 2, (frame.height - face * kCrossRows) / 2,
               face * kCrossColumns, face * kCrossRows);
}

}  // namespace

void drawPassView(PassView view)
{
    const char* name = imageName(view);
    if (name == nullptr) {
        return;
    }
    const FrameSize frame = frameSize;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, frame.width, frame.height);
    glClearColor(kViewBackground.r, kViewBackground.g, kViewBackground.b, kViewBackground.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    const RenderPass* producer = findProducerRow(passTable(), name);
    if (producer == nullptr || !passRuns(*producer)) {
        return;
    }
    const PassImage& image = *producer->produces;
    const bool cube = image.textureTarget == GL_TEXTURE_CUBE_MAP;
    const ShaderProgram& program = cube ? programs().cube : programs().image;
    if (!program.linked()) {
        return;
    }
    // Whatever the last pass left (the shadow pass culls front faces) must
    // not hide the quad; every pass sets depth test and culling again.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glUseProgram(program.program);
    glActiveTexture(GL_TEXTURE0 + kViewImageUnit);
    glBindTexture(image.textureTarget, *image.texture);
    setUniformInt(program.program, "image", kViewImageUnit);
    if (cube) {
        setCrossViewport(frame);
    }
    drawScreenQuad();
    // The overlay, drawn next, covers the whole window.
    glViewport(0, 0, frame.width, frame.height);
}

void dropPassViewGLObjects()
{
    viewPrograms.reset();
}

int rebuildPassViewPrograms(const std::vector<std::string>& files, bool& failed)
{
    if (!viewPrograms) {
        return 0;
    }
    int built = 0;
    const auto rebuild = [&](ShaderProgram& program, const ShaderFiles& stages) {
        if (!readsAnyOf(stages, files)) {
            return;
        }
        ++built;
        if (!replaceWhenBuilt(program, ShaderProgram(stages))) {
            failed = true;
        }
    };
    rebuild(viewPrograms->image, kImageViewFiles);
    rebuild(viewPrograms->cube, kCubeViewFiles);
    return built;
}
