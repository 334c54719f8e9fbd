// Records the state-setting GL calls the frame loop makes, as GL receives
// them: the GL 1.1 entry points are interposed in the test executable and
// forwarded to the driver, the later ones are wrapped through GLEW's table.
#pragma once

#include <string>
#include <vector>

// Starts recording (the context must be current and GLEW loaded).
void startGLRecording();
// Stops recording and returns the calls, one text per call, e.g.
// "viewport 0 0 1280 720", "bindFramebuffer 3", "useProgram 5".
std::vector<std::string> stopGLRecording();
