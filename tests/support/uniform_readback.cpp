#include "support/uniform_readback.h"

#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

namespace {

// What a read-back of a missing uniform returns, besides failing the test:
// no value a program would plausibly hold.
constexpr float kMissing = -12345.0f;

// Fails the test for a missing uniform; reading location -1 would only add a
// GL error and return nothing.
template <typename Value, typename Read>
Value readUniform(GLuint program, const std::string& name, Value value, Read read)
{
    const GLint location = glGetUniformLocation(program, name.c_str());
    if (location == -1) {
        ADD_FAILURE() << "program " << program << " has no active uniform \"" << name << "\"";
        return value;
    }
    read(program, location, value);
    return value;
}

}  // namespace

bool hasUniform(GLuint program, const std::string& name)
{
    return glGetUniformLocation(program, name.c_str()) != -1;
}

GLint uniformInt(GLuint program, const std::string& name)
{
    return readUniform(program, name, static_cast<GLint>(kMissing),
                       [](GLuint p, GLint location, GLint& value) { glGetUniformiv(p, location, &value); });
}

float uniformFloat(GLuint program, const std::string& name)
{
    return readUniform(program, name, kMissing,
                       [](GLuint p, GLint location, float& value) { glGetUniformfv(p, location, &value); });
}

glm::vec2 uniformVec2(GLuint program, const std::string& name)
{
    return readUniform(program, name, glm::vec2(kMissing), [](GLuint p, GLint location, glm::vec2& value) {
        glGetUniformfv(p, location, glm::value_ptr(value));
    });
}

glm::vec3 uniformVec3(GLuint program, const std::string& name)
{
    return readUniform(program, name, glm::vec3(kMissing), [](GLuint p, GLint location, glm::vec3& value) {
        glGetUniformfv(p, location, glm::value_ptr(value));
    });
}

glm::mat4 uniformMat4(GLuint program, const std::string& name)
{
    return readUniform(program, name, glm::mat4(kMissing), [](GLuint p, GLint location, glm::mat4& value) {
        glGetUniformfv(p, location, glm::value_ptr(value));
    });
}
