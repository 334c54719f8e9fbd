// The four lists that say which pass draws which models. Scene composition
// fills them; each pass draws its own.
#pragma once

#include "render/shader_program.h"

#include <vector>

class Model;

// Non-owning, in drawing order; a model may stand in several lists.
using DrawList = std::vector<Model*>;

// Never destroyed, like the models they point to (see draw_lists.cpp).
extern DrawList& litObjects;
extern DrawList& shadowCasters;
extern DrawList& godRayObjects;
extern DrawList& bloomObjects;

// Draws every model of `list` with `program`, which the pass made current.
void drawList(const DrawList& list, const ShaderProgram& program);
