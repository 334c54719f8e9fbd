#version 330 core
// Shadow pass, vertex stage: only moves the vertex into the world; the
// geometry stage projects it once per cube face.
layout(location = 0) in vec3 inPosition;

uniform mat4 model;

void main()
{
    gl_Position = model * vec4(inPosition, 1.0);
}
