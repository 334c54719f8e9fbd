// A linked GL program built from a vertex, an optional geometry and a fragment
// file. Building never stops the viewer: read, compile and link failures are
// printed in a fixed layout and the program object exists whatever happened.
#pragma once

#include <GL/glew.h>

#include <string>

struct ShaderProgram {
    GLuint program = 0;

    ShaderProgram() = default;
    // The geometry path sits in the middle and may be null for two stages.
    ShaderProgram(const char* vertexPath, const char* geometryPath, const char* fragmentPath);
};

// Prints the compile (kind "VERTEX", "FRAGMENT", "GEOMETRY") or link
// ("PROGRAM") error block for `object` when its status says it failed.
void reportBuildErrors(GLuint object, std::string kind);
