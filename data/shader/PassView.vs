#version 330 core
// Pass views (V), vertex stage: the full-screen quad, over the viewport the
// view draws into (the whole window, or the cube map's cross).
layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec2 inUv;

out vec2 uv;

void main()
{
    uv = inUv;
    gl_Position = vec4(inPosition, 1.0);
}
