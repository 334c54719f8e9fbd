// Building programs again while the viewer runs: after a dial that lives in
// a shader moved, or a shader file was saved. Each program that reads a
// changed file is built anew; a new one that builds takes the old one's
// place and the old one is deleted, and one that fails is deleted while the
// old one goes on drawing, so a file saved half-way or with a typo never
// blanks the frame. The lighting program's forms change together, and only
// when all of them built.
#pragma once

#include "common/shader_rebuilds.h"
#include "render/shader_programs.h"

#include <string>
#include <vector>

// Builds again every program that reads one of `files` (as the passes name
// them), and says what it did; nothing reads them, nothing is built.
ShaderRebuildOutcome rebuildProgramsReading(ShaderPrograms& programs, const std::vector<std::string>& files);

// Takes the files asked for (common/shader_rebuilds.h) and builds their
// programs again, keeping the outcome in lastShaderRebuild and printing a
// line with its cost. Nothing at all, GL included, when none were asked for.
void rebuildRequestedPrograms(ShaderPrograms& programs);
