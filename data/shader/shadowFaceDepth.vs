#version 330 core
// Shadow pass drawn one cube face at a time, vertex stage: where there is no
// geometry stage to send each triangle to all six faces, the pass draws the
// casters once per face, and this stage projects with the face that draw is
// for. The fragment stage is the layered form's, fed the same world position.
layout(location = 0) in vec3 inPosition;

uniform mat4 model;
uniform mat4 shadowTransforms[6];
uniform int shadowFace;

out vec4 worldPosition;

void main()
{
    worldPosition = model * vec4(inPosition, 1.0);
    gl_Position = shadowTransforms[shadowFace] * worldPosition;
}
