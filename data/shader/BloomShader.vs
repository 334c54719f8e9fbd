#version 330 core
// Bloom bright pass, vertex stage: the glowing objects seen from the camera,
// at half resolution.
layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec2 inUv;

uniform mat4 model;
uniform mat4 view;
uniform mat4 projection;

out vec3 worldPosition;
out vec3 normal;
out vec2 uv;

void main()
{
    vec4 world = model * vec4(inPosition, 1.0);
    worldPosition = world.xyz;
    normal = mat3(model) * inNormal;
    uv = inUv;
    gl_Position = projection * view * world;
}
