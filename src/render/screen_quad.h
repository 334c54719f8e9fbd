// A quad covering the whole viewport, for passes that process an image
// rather than draw the scene. Created on first use and kept for the run
// (or until its context is lost).
#pragma once

#include <GL/glew.h>

extern GLuint screenQuadVertexArray;
extern GLuint screenQuadVertexBuffer;

void drawScreenQuad();

// Drops the quad's names without deleting them (their context was lost):
// the next draw makes it again.
void forgetScreenQuad();
