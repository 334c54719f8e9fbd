// The four lists that say which pass draws which models. Scene composition
// fills them; each pass's row names its own, and the pass runner draws it.
// Models are only pointed to here: drawing them is the application's, which
// hands the runner its drawing, so the passes need nothing of the model code.
#pragma once

#include <vector>

class Model;
struct ShaderProgram;

// Non-owning, in drawing order; a model may stand in several lists.
using DrawList = std::vector<Model*>;

// Never destroyed, like the models they point to (see draw_lists.cpp).
// Being references, they have no address a constant could hold, so a pass
// row names its list through a function that returns it.
extern DrawList& litObjects;
extern DrawList& shadowCasters;
extern DrawList& godRayObjects;
extern DrawList& bloomObjects;

// A pass row's list, as `[]() -> const DrawList& { return shadowCasters; }`.
using DrawListOfPass = const DrawList& (*)();

// Draws one model with `program`, which the pass made current.
using DrawModel = void (*)(const Model& model, const ShaderProgram& program);
