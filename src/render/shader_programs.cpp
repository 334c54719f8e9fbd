#include "render/shader_programs.h"

#include "common/startup_profile.h"
#include "render/gl_dialect.h"

ShaderPrograms buildShaderPrograms()
{
    const StartupTimer timer(&StartupProfile::shaderBuildMs);
    ShaderPrograms programs;
    // Read once: the seven other variants are built from the same texts.
    const ShaderSources lightingSources = readShaderSources(
        kLightingShaderFiles.vertex, kLightingShaderFiles.geometry, kLightingShaderFiles.fragment);
    programs.lightingShader = ShaderProgram(lightingSources, lightingDefinitions(LightingEffects{}));
    assignLightingDefaults(programs.lightingShader);
    const bool shadowFaces = shadowPassForm == ShadowPassForm::DrawPerFace;
    for (const ProgramLine& listed : kProgramLines) {
        const ProgramLine& line =
            shadowFaces && listed.program == kShadowFaceProgramLine.program ? kShadowFaceProgramLine : listed;
        programs.*line.program = ShaderProgram(line.files.vertex, line.files.geometry, line.files.fragment);
    }
    programs.lightingVariants = buildLightingVariants(lightingSources, programs.lightingShader);
    return programs;
}
