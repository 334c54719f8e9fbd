#include "support/uniform_readback.h"

#include <gtest/gtest.h>

namespace {

// What a read-back of a missing uniform returns besides failing the test: no
// value a program would plausibly hold.
constexpr float kMissing = -12345.0f;

// Fails the test naming a uniform the program does not have; the caller then
// skips the read, which at location -1 would only leave a GL error behind.
GLint locationOf(GLuint program, const std::string& name)
{
    const GLint location = glGetUniformLocation(program, name.c_str());
    if (location == -1) {
        ADD_FAILURE() << "program " << program << " has no active uniform \"" << name << "\"";
    }
    return location;
}

// `Value` is float or a glm vector or matrix, all plain runs of floats.
template <typename Value>
Value floatsOf(GLuint program, const std::string& name)
{
    Value value(kMissing);
    const GLint location = locationOf(program, name);
    if (location != -1) {
        glGetUniformfv(program, location, reinterpret_cast<float*>(&value));
    }
    return value;
}

}  // namespace

bool hasUniform(GLuint program, const std::string& name)
{
    return glGetUniformLocation(program, name.c_str()) != -1;
}

GLint uniformInt(GLuint program, const std::string& name)
{
    GLint value = static_cast<GLint>(kMissing);
    const GLint location = locationOf(program, name);
    if (location != -1) {
        glGetUniformiv(program, location, &value);
    }
    return value;
}

float uniformFloat(GLuint program, const std::string& name) { return floatsOf<float>(program, name); }
glm::vec2 uniformVec2(GLuint program, const std::string& name) { return floatsOf<glm::vec2>(program, name); }
glm::vec3 uniformVec3(GLuint program, const std::string& name) { return floatsOf<glm::vec3>(program, name); }
glm::mat4 uniformMat4(GLuint program, const std::string& name) { return floatsOf<glm::mat4>(program, name); }
