#include "render/uniforms.h"

#include <glm/gtc/type_ptr.hpp>

namespace {
GLint locate(GLuint program, const std::string& name)
{
    return glGetUniformLocation(program, name.c_str());
}
}  // namespace

void setUniformInt(GLuint program, const std::string& name, GLint value)
{
    glUniform1i(locate(program, name), value);
}

void setUniformFloat(GLuint program, const std::string& name, GLfloat value)
{
    glUniform1f(locate(program, name), value);
}

void setUniformVec2(GLuint program, const std::string& name, const glm::vec2& value)
{
    glUniform2f(locate(program, name), value.x, value.y);
}

void setUniformVec3(GLuint program, const std::string& name, const glm::vec3& value)
{
    glUniform3f(locate(program, name), value.x, value.y, value.z);
}

void setUniformMat4(GLuint program, const std::string& name, const glm::mat4& value)
{
    glUniformMatrix4fv(locate(program, name), 1, GL_FALSE, glm::value_ptr(value));
}
