// The passes' shader programs, built once at start-up and kept for the run,
// and the files each is built from: one line per program.
#pragma once

#include "render/lighting_program.h"
#include "render/shader_program.h"

#include <span>

struct ShaderPrograms {
    ShaderProgram lightingShader;  // the variant with every effect
    ShaderProgram shadowShader;
    ShaderProgram godRayShader;
    ShaderProgram bloomShader;
    ShaderProgram blurShader;
    // One lighting program per combination of effects, lightingShader among them.
    LightingVariants lightingVariants;
};

// A program's stage files; the geometry stage may be null.
struct ShaderFiles {
    const char* vertex;
    const char* geometry;
    const char* fragment;
};

// A program built once from its files.
struct ProgramLine {
    ShaderProgram ShaderPrograms::*program;
    ShaderFiles files;
};

// The lighting program is built in kLightingVariantCount forms of these two
// files (see lighting_program.h).
inline constexpr ShaderFiles kLightingShaderFiles{"data/shader/pointLightNormal.vs", nullptr,
                                                  "data/shader/pointLightNormal.fs"};

// The other programs, in the order they are built, right after the lighting
// program's first form and before its other seven.
inline constexpr ProgramLine kProgramLines[] = {
    {&ShaderPrograms::shadowShader,
     {"data/shader/shadowDepth.vs", "data/shader/shadowDepth.gs", "data/shader/shadowDepth.fs"}},
    {&ShaderPrograms::godRayShader, {"data/shader/SimpleShader.vs", nullptr, "data/shader/SimpleShader.fs"}},
    {&ShaderPrograms::bloomShader, {"data/shader/BloomShader.vs", nullptr, "data/shader/BloomShader.fs"}},
    {&ShaderPrograms::blurShader, {"data/shader/BloomHorizontal.vs", nullptr, "data/shader/BloomHorizontal.fs"}},
};

// The shadow program of the per-face form, built in the place of the line
// above when that form is chosen (shadowPassForm): its vertex stage
// projects into the one face each draw names, so it needs no geometry stage.
inline constexpr ProgramLine kShadowFaceProgramLine = {
    &ShaderPrograms::shadowShader, {"data/shader/shadowFaceDepth.vs", nullptr, "data/shader/shadowDepth.fs"}};

ShaderPrograms buildShaderPrograms();
