// Reads uniform values back from a linked program, by name, the way a test
// checks what GL actually received. Asking for a uniform the program does
// not have fails the test with its name (a renamed uniform or one the
// compiler dropped); a test that expects a uniform to be absent asks
// hasUniform instead.
#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <string>

bool hasUniform(GLuint program, const std::string& name);

GLint uniformInt(GLuint program, const std::string& name);
float uniformFloat(GLuint program, const std::string& name);
glm::vec2 uniformVec2(GLuint program, const std::string& name);
glm::vec3 uniformVec3(GLuint program, const std::string& name);
glm::mat4 uniformMat4(GLuint program, const std::string& name);
