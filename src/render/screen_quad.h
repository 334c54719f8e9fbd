// A quad covering the whole viewport, for passes that process an image
// rather than draw the scene. Created on first use and kept for the run.
#pragma once

#include <GL/glew.h>

extern GLuint screenQuadVertexArray;
extern GLuint screenQuadVertexBuffer;

void drawScreenQuad();
