#include "render/program_rebuild.h"

#include "render/lighting_pass.h"
#include "render/pass_table.h"
#include "render/pass_views.h"

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <set>

namespace {

// Deletes each name once: the lighting forms whose build failed at start-up
// are the all-effects program under its one name.
void deletePrograms(const std::set<GLuint>& names)
{
    for (const GLuint name : names) {
        glDeleteProgram(name);
    }
}

std::set<GLuint> lightingNames(const ShaderPrograms& programs)
{
    std::set<GLuint> names{programs.lightingShader.program};
    for (const ShaderProgram& variant : programs.lightingVariants) {
        names.insert(variant.program);
    }
    return names;
}

// Returns the programs built; `failed` is set when one of them did not.
int rebuildLighting(ShaderPrograms& programs, bool& failed)
{
    const ShaderSources sources = readShaderSources(lightingPass.shaderFiles);
    ShaderPrograms fresh;
    fresh.lightingShader = ShaderProgram(sources, lightingDefinitions(LightingEffects{}));
    if (!fresh.lightingShader.linked()) {
        // Its forms would fail alike: one error block is enough.
        glDeleteProgram(fresh.lightingShader.program);
        failed = true;
        return 1;
    }
    // The defaults again (texture units, the frame's size now); each form
    // gets them as it is built.
    assignLightingDefaults(fresh.lightingShader);
    fresh.lightingVariants = buildLightingVariants(sources, fresh.lightingShader);
    const bool allBuilt = std::all_of(fresh.lightingVariants.begin(), fresh.lightingVariants.end(),
                                      [](const ShaderProgram& variant) { return variant.linked(); });
    if (!allBuilt) {
        deletePrograms(lightingNames(fresh));
        failed = true;
    } else {
        deletePrograms(lightingNames(programs));
        programs.lightingShader = fresh.lightingShader;
        programs.lightingVariants = fresh.lightingVariants;
    }
    return kLightingVariantCount;
}

int rebuildEffectPrograms(ShaderPrograms& programs, const std::vector<std::string>& files, bool& failed)
{
    int built = 0;
    for (const RenderPass* pass : passTable()) {
        if (pass->programSlot == &ShaderPrograms::lightingShader || !readsAnyOf(pass->shaderFiles, files)) {
            continue;
        }
        ++built;
        if (!replaceWhenBuilt(programs.*(pass->programSlot), ShaderProgram(pass->shaderFiles))) {
            failed = true;
        }
    }
    return built;
}

std::string fileNames(const std::vector<std::string>& files)
{
    std::string names;
    for (const std::string& file : files) {
        names += (names.empty() ? "" : ", ") + std::filesystem::path(file).filename().string();
    }
    return names;
}

}  // namespace

ShaderRebuildOutcome rebuildProgramsReading(ShaderPrograms& programs, const std::vector<std::string>& files)
{
    const auto start = std::chrono::steady_clock::now();
    forgetShaderBuildFailure();
    ShaderRebuildOutcome outcome;
    outcome.files = files;
    bool failed = false;
    if (readsAnyOf(lightingPass.shaderFiles, files)) {
        outcome.programs += rebuildLighting(programs, failed);
    }
    outcome.programs += rebuildEffectPrograms(programs, files, failed);
    outcome.programs += rebuildPassViewPrograms(files, failed);
    if (failed) {
        outcome.error = lastShaderBuildFailure();
    }
    outcome.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

void rebuildRequestedPrograms(ShaderPrograms& programs)
{
    const std::vector<std::string> files = takeShaderRebuildRequests();
    if (files.empty()) {
        return;
    }
    ShaderRebuildOutcome outcome = rebuildProgramsReading(programs, files);
    if (outcome.programs == 0) {
        return;
    }
    // The error, when there was one, has been printed as it happened.
    std::cout << "Rebuilt " << outcome.programs << (outcome.programs == 1 ? " program" : " programs") << " from "
              << fileNames(files) << " in " << std::lround(outcome.milliseconds) << " ms"
              << (outcome.error.empty() ? "" : "; the last good ones go on drawing") << std::endl;
    lastShaderRebuild = std::move(outcome);
}
