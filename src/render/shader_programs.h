// The passes' shader programs, built once at start-up and kept for the run.
// Each pass's row names the files of its program and the slot here that
// keeps it; buildShaderPrograms (pass_table.h) fills the slots from the rows.
#pragma once

#include "render/lighting_program.h"
#include "render/shader_program.h"

struct ShaderPrograms {
    ShaderProgram lightingShader;  // the variant with every effect
    ShaderProgram shadowShader;
    ShaderProgram godRayShader;
    ShaderProgram bloomShader;
    ShaderProgram blurShader;
    // One lighting program per combination of effects, lightingShader among them.
    LightingVariants lightingVariants;
};

// The effect passes' slots in the order start-up builds them, right after
// the lighting program's first form and before its other seven. The order
// is kept so that start-up asks the same of GL from build to build.
inline constexpr ShaderProgram ShaderPrograms::*kEffectProgramSlots[] = {
    &ShaderPrograms::shadowShader,
    &ShaderPrograms::godRayShader,
    &ShaderPrograms::bloomShader,
    &ShaderPrograms::blurShader,
};
