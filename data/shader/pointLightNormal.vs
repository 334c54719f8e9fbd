#version 330 core
// Final lighting pass, vertex stage. Passes the world-space position and the
// tangent frame on, so the fragment stage can light per pixel with the
// material's normal map.
layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec2 inUv;
layout(location = 3) in vec3 inTangent;
layout(location = 4) in vec3 inBitangent;

uniform mat4 model;
uniform mat4 view;
uniform mat4 projection;

out VertexOut {
    vec3 worldPosition;
    vec2 uv;
    vec3 normal;
    vec3 tangent;
    vec3 bitangent;
} vout;

void main()
{
    vec4 world = model * vec4(inPosition, 1.0);
    // Models are only turned and moved, never scaled, so the model matrix's
    // upper 3x3 carries directions correctly without an inverse transpose.
    mat3 rotation = mat3(model);
    vout.worldPosition = world.xyz;
    vout.uv = inUv;
    vout.normal = rotation * inNormal;
    vout.tangent = rotation * inTangent;
    vout.bitangent = rotation * inBitangent;
    gl_Position = projection * view * world;
}
