#include "support/uniform_readback.h"

#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

namespace {
GLint locationOf(GLuint program, const std::string& name)
{
    const GLint location = glGetUniformLocation(program, name.c_str());
    EXPECT_NE(location, -1) << "the test program does not keep uniform " << name;
    return location;
}
}  // namespace

GLint uniformInt(GLuint program, const std::string& name)
{
    GLint value = -12345;
    glGetUniformiv(program, locationOf(program, name), &value);
    return value;
}

float uniformFloat(GLuint program, const std::string& name)
{
    float value = -12345.0f;
    glGetUniformfv(program, locationOf(program, name), &value);
    return value;
}

glm::vec2 uniformVec2(GLuint program, const std::string& name)
{
    glm::vec2 value(-12345.0f);
    glGetUniformfv(program, locationOf(program, name), glm::value_ptr(value));
    return value;
}

glm::vec3 uniformVec3(GLuint program, const std::string& name)
{
    glm::vec3 value(-12345.0f);
    glGetUniformfv(program, locationOf(program, name), glm::value_ptr(value));
    return value;
}

glm::mat4 uniformMat4(GLuint program, const std::string& name)
{
    glm::mat4 value(-12345.0f);
    glGetUniformfv(program, locationOf(program, name), glm::value_ptr(value));
    return value;
}
