#version 330 core
// God-ray occlusion pass, vertex stage: the beacon and its blockers seen
// from the camera.
layout(location = 0) in vec3 inPosition;
layout(location = 2) in vec2 inUv;

uniform mat4 model;
uniform mat4 view;
uniform mat4 projection;

out vec2 uv;

void main()
{
    uv = inUv;
    gl_Position = projection * view * model * vec4(inPosition, 1.0);
}
