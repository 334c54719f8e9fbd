#version 330 core
// Bloom bright pass, fragment stage: the glow an object gives off. Its own
// colour, brightened where the light reaches it, so the glow breathes as the
// light swings past.
const float kSelfGlow = 0.55;
const float kLightGlow = 0.45;
// Squared lengths below this carry no direction (a mesh without normals).
const float kMinDirectionLengthSquared = 1e-10;

in vec3 worldPosition;
in vec3 normal;
in vec2 uv;

struct Material {
    sampler2D diffuse;
};
uniform Material material;
uniform vec3 lightPos;

out vec4 fragColour;

// `v` at unit length, or zero where it has no direction: normalize() of a
// zero vector is NaN, which drivers treat differently. The test is one that
// a NaN fails as well.
vec3 unitOrZero(vec3 v)
{
    float lengthSquared = dot(v, v);
    return lengthSquared > kMinDirectionLengthSquared
         ? v * inversesqrt(max(lengthSquared, kMinDirectionLengthSquared)) : vec3(0.0);
}

void main()
{
    vec3 colour = texture(material.diffuse, uv).rgb;
    // Without a normal the object only glows by itself.
    float facing = max(dot(unitOrZero(normal), unitOrZero(lightPos - worldPosition)), 0.0);
    fragColour = vec4(colour * (kSelfGlow + kLightGlow * facing), 1.0);
}
