// Everything done once before the first frame: window and context, input
// handlers, GL entry points, render targets, shadow projection and the five
// shader programs.
#pragma once

#include "render/shader_programs.h"

#include <GL/glew.h>

struct GLFWwindow;

enum class WindowVisibility { Shown, Hidden };

// Initialises GLFW, opens the resizable 3.3 core window, installs the input
// handlers, sets the swap interval and loads GL through GLEW.
// A window that cannot be made is tried once more as forward-compatible (the
// only core context macOS makes). Without a window or a context nothing can
// run: a failed step is printed as one line with GLFW's (or GLEW's) reason
// and the result is null (GLFW is terminated again).
GLFWwindow* openWindow(WindowVisibility visibility = WindowVisibility::Shown);

// Loads the GL entry points of the current context through GLEW. GLEW_OK
// when they loaded, else GLEW's error.
GLenum loadGlEntryPoints();

// Render targets, shadow projection and programs: what follows a successful
// openWindow and precedes scene composition.
ShaderPrograms prepareRendering();
