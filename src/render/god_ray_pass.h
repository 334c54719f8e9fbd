// God-ray occlusion pass: the beacon and its blockers are drawn from the
// camera into a full-size image; the lighting pass marches from each pixel
// towards the light's screen position through that image.
#pragma once

#include "render/shader_program.h"

void prepareGodRayPass(const ShaderProgram& godRayShader);
