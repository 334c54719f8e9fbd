#include "render/draw_lists.h"

// The lists live as long as the models they point to, past the end of main:
// destroyed with the other globals at exit, they would leave the models
// unreferenced while the exit handlers still run, which is exactly what the
// leak checker of the sanitizer build then reports.
DrawList& litObjects = *new DrawList;
DrawList& shadowCasters = *new DrawList;
DrawList& godRayObjects = *new DrawList;
DrawList& bloomObjects = *new DrawList;
