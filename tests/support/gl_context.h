// One offscreen OpenGL 3.3 core context per test process, created on first
// use, so GL tests run against the real driver (Mesa's llvmpipe in CI) with
// no display server.
#pragma once

#include "app/render_context.h"

#include <GL/glew.h>

// Makes the shared test context current, creating it first if needed.
const RenderContext& testGLContext();
