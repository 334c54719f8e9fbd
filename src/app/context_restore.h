// A lost GL context made whole again. A browser may take a page's WebGL
// context away (a background tab, a GPU reset, a driver update) and later
// give the canvas a fresh one: every object of the old one is gone. Each is
// made again, on new names, from what the viewer keeps; the old names are
// dropped, never deleted, as the new context would refuse them.
#pragma once

#include "app/viewer.h"

class SceneComposition;

// Makes the render targets (at the frame's size), the programs with their
// build-time uniforms, the scene's meshes and textures (through `scene`,
// which must have made them) and, as they are next used, the screen quad,
// the overlay's objects and its timer's queries. The frames that follow
// draw as before: the switches, the camera and the clocks are untouched.
// The new context must be current.
void remakeGLObjects(Viewer& viewer, SceneComposition& scene);
