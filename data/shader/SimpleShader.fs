#version 330 core
// God-ray occlusion pass, fragment stage: writes the material's diffuse
// colour unlit. The beacon's glass is bright and emits; the blockers are
// black and cut the shafts.
in vec2 uv;

struct Material {
    sampler2D diffuse;
};
uniform Material material;

out vec4 fragColour;

void main()
{
    fragColour = vec4(texture(material.diffuse, uv).rgb, 1.0);
}
