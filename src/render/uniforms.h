// The one way every pass, model and mesh sets a uniform: by name, looking the
// location up on every set. Names the linked program lacks resolve to -1,
// which GL ignores silently; that is how optional shader inputs work.
#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <string>

void setUniformInt(GLuint program, const std::string& name, GLint value);
void setUniformFloat(GLuint program, const std::string& name, GLfloat value);
void setUniformVec2(GLuint program, const std::string& name, const glm::vec2& value);
void setUniformVec3(GLuint program, const std::string& name, const glm::vec3& value);
void setUniformMat4(GLuint program, const std::string& name, const glm::mat4& value);
