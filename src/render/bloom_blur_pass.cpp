#include "render/bloom_blur_pass.h"

#include "common/render_toggles.h"
#include "render/bloom_pass.h"
#include "render/pass_images.h"
#include "render/shader_programs.h"
#include "render/uniforms.h"

RenderTarget bloomBlurTarget;

namespace {
// The blur reads the bright image on unit 0: it draws only the screen quad,
// which binds no textures of its own.
constexpr GLint kBrightImageUnit = 0;
}  // namespace

bool prepareBlurPass(const ShaderProgram& blurShader, std::span<const SampledImage> images)
{
    const SampledImage& brightImage = images.front();
    glUseProgram(blurShader.program);
    glActiveTexture(GL_TEXTURE0 + kBrightImageUnit);
    setUniformInt(blurShader.program, "bloomMap", kBrightImageUnit);
    glBindTexture(brightImage.textureTarget, brightImage.texture);
    return true;
}

namespace {

void createBloomBlurTarget()
{
    bloomBlurTarget = createRenderTarget(halfFrame());
}

constexpr const char* kBlurSamples[] = {kBloomBrightImage};

}  // namespace

// Depth testing stays on, as in the bright pass: the quad lies at depth 0.5,
// in front of the cleared depth, so it is never rejected.
constinit const RenderPass bloomBlurPass{
    .name = "bloom blur",
    .toggle = &bloomOn,
    .viewportSize = halfFrame,
    .framebuffer = &bloomBlurTarget.framebuffer,
    .clearColour = ClearColour{0.0f, 0.0f, 0.0f, 1.0f},
    .createTarget = createBloomBlurTarget,
    .sizedTarget = &bloomBlurTarget,
    .produces = PassImage{kBloomImage, GL_TEXTURE_2D, &bloomBlurTarget.colourTexture},
    .samples = kBlurSamples,
    .shaderFiles = {"data/shader/BloomHorizontal.vs", nullptr, "data/shader/BloomHorizontal.fs"},
    .programSlot = &ShaderPrograms::blurShader,
    .setUp = prepareBlurPass,
};
