#version 330 core
// Bloom bright pass, fragment stage: the glow an object gives off. Its own
// colour, brightened where the light reaches it, so the glow breathes as the
// light swings past.
const float kSelfGlow = 0.55;
const float kLightGlow = 0.45;

in vec3 worldPosition;
in vec3 normal;
in vec2 uv;

struct Material {
    sampler2D diffuse;
};
uniform Material material;
uniform vec3 lightPos;

out vec4 fragColour;

void main()
{
    vec3 colour = texture(material.diffuse, uv).rgb;
    float facing = max(dot(normalize(normal), normalize(lightPos - worldPosition)), 0.0);
    fragColour = vec4(colour * (kSelfGlow + kLightGlow * facing), 1.0);
}
