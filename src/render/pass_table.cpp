#include "render/pass_table.h"

#include "common/startup_profile.h"
#include "render/bloom_blur_pass.h"
#include "render/bloom_pass.h"
#include "render/god_ray_pass.h"
#include "render/lighting_pass.h"
#include "render/shadow_pass.h"

#include <array>

std::span<const RenderPass* const> passTable()
{
    // Written on every call, so a form chosen after an earlier call (a
    // test, a tool's option) is the one the table holds.
    static std::array<const RenderPass*, 5> table;
    table = {&godRayOcclusionPass, &bloomBrightPass, &bloomBlurPass, &shadowPass(), &lightingPass};
    return table;
}

void createRenderTargets()
{
    for (const RenderPass* pass : passTable()) {
        if (pass->createTarget != nullptr) {
            pass->createTarget();
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

ShaderPrograms buildShaderPrograms()
{
    const StartupTimer timer(&StartupProfile::shaderBuildMs);
    ShaderPrograms programs;
    // Read once: the seven other variants are built from the same texts.
    const ShaderSources lightingSources = readShaderSources(lightingPass.shaderFiles);
    programs.lightingShader = ShaderProgram(lightingSources, lightingDefinitions(LightingEffects{}));
    assignLightingDefaults(programs.lightingShader);
    for (ShaderProgram ShaderPrograms::*slot : kEffectProgramSlots) {
        for (const RenderPass* pass : passTable()) {
            if (pass->programSlot == slot) {
                programs.*slot = ShaderProgram(pass->shaderFiles);
                break;
            }
        }
    }
    programs.lightingVariants = buildLightingVariants(lightingSources, programs.lightingShader);
    return programs;
}
