#include "render/point_light.h"

#include "render/uniforms.h"

#include <string>

std::vector<PointLight*>& lights = *new std::vector<PointLight*>;

PointLight* firstLight()
{
    return lights.at(0);
}

void PointLight::setUniforms(GLuint program) const
{
    const std::string slot = "pointLights[" + std::to_string(index);
    setUniformVec3(program, slot + "].position", position);
    setUniformVec3(program, slot + "].ambient", ambient);
    setUniformVec3(program, slot + "].diffuse", diffuse);
    setUniformVec3(program, slot + "].specular", specular);
    setUniformFloat(program, slot + "].constant", constant);
    setUniformFloat(program, slot + "].linear", linear);
    setUniformFloat(program, slot + "].quadratic", quadratic);
}
