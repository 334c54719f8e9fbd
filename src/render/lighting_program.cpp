#include "render/lighting_program.h"

#include "common/frame_size.h"
#include "render/uniforms.h"

int lightingVariantIndex(const LightingEffects& effects)
{
    return (effects.shadows ? 1 : 0) | (effects.godRays ? 2 : 0) | (effects.bloom ? 4 : 0);
}

LightingEffects lightingEffectsAt(int index)
{
    return LightingEffects{(index & 1) != 0, (index & 2) != 0, (index & 4) != 0};
}

std::string lightingDefinitions(const LightingEffects& effects)
{
    const auto line = [](const char* name, bool on) { return std::string("#define ") + name + (on ? " 1\n" : " 0\n"); };
    return line("SHADOWS", effects.shadows) + line("GOD_RAYS", effects.godRays) + line("BLOOM", effects.bloom);
}

LightingVariants buildLightingVariants(const ShaderSources& sources, const ShaderProgram& allEffects)
{
    LightingVariants variants;
    const int allEffectsIndex = lightingVariantIndex(LightingEffects{});
    for (int index = 0; index < kLightingVariantCount; ++index) {
        if (index == allEffectsIndex || !allEffects.linked()) {
            variants[index] = allEffects;
            continue;
        }
        variants[index] = ShaderProgram(sources, lightingDefinitions(lightingEffectsAt(index)));
        assignLightingDefaults(variants[index]);
    }
    return variants;
}

namespace {

void setScreenSize(GLuint program)
{
    setUniformFloat(program, "screen.width", static_cast<float>(frameSize.width));
    setUniformFloat(program, "screen.height", static_cast<float>(frameSize.height));
}

}  // namespace

void assignLightingDefaults(const ShaderProgram& lightingShader)
{
    const GLuint program = lightingShader.program;
    glUseProgram(program);
    setScreenSize(program);
    setUniformInt(program, "shadow.map", kShadowMapUnit);
    setUniformInt(program, "godRays.map", kGodRayMapUnit);
    setUniformInt(program, "bloom.map", kBloomMapUnit);
    glUseProgram(0);
}

void assignScreenSize(const LightingVariants& variants)
{
    for (const ShaderProgram& variant : variants) {
        if (variant.linked()) {
            glUseProgram(variant.program);
            setScreenSize(variant.program);
        }
    }
    glUseProgram(0);
}
