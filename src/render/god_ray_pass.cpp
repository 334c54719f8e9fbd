#include "render/god_ray_pass.h"

#include "camera/camera.h"
#include "render/uniforms.h"

void prepareGodRayPass(const ShaderProgram& godRayShader)
{
    glUseProgram(godRayShader.program);
    setUniformMat4(godRayShader.program, "projection", camera.projectionMatrix());
    setUniformMat4(godRayShader.program, "view", camera.viewMatrix());
}
