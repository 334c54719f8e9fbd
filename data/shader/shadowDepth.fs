#version 330 core
// Shadow pass, fragment stage: stores the distance to the light divided by
// far_plane, a linear depth the lighting pass compares against directly
// (multiplied back by the same distance, "shadow.far").
in vec4 worldPosition;

uniform vec3 lightPos;
uniform float far_plane;

void main()
{
    gl_FragDepth = length(worldPosition.xyz - lightPos) / far_plane;
}
