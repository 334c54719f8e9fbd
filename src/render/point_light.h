// The point light record and the scene's light list. A light reaches a shader
// as the seven members of its slot in the array "pointLights".
#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <vector>

struct PointLight {
    int index = 0;
    glm::vec3 position{0.0f};
    glm::vec3 ambient{0.0f};
    glm::vec3 diffuse{0.0f};
    glm::vec3 specular{0.0f};
    float constant = 1.0f;
    float linear = 0.0f;
    float quadratic = 0.0f;

    // Sets this light's uniforms on `program`, which must be current.
    void setUniforms(GLuint program) const;
};

// Owned by no one: lights are made once at start-up and live for the run.
// The list itself is never destroyed either, so the lights stay referenced
// until the process is gone (see render/draw_lists.cpp).
extern std::vector<PointLight*>& lights;

// The light that casts the shadow, feeds the bloom pass and the god rays.
// Bounds-tested: throws std::out_of_range while `lights` is empty.
PointLight* firstLight();
