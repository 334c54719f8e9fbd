// The passes' shader programs, built once at start-up and kept for the run.
#pragma once

#include "render/lighting_pass.h"
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
