#version 330 core
// Horizontal blur, fragment stage: a Gaussian along x over the bright image.
// The image is sampled with nearest filtering, so each tap is one texel.
const int kRadius = 6;
const float kSigma = 3.0;

in vec2 uv;

uniform sampler2D bloomMap;

out vec4 fragColour;

void main()
{
    float texel = 1.0 / float(textureSize(bloomMap, 0).x);
    vec3 sum = vec3(0.0);
    float total = 0.0;
    for (int i = -kRadius; i <= kRadius; ++i) {
        float weight = exp(-float(i * i) / (2.0 * kSigma * kSigma));
        sum += texture(bloomMap, uv + vec2(float(i) * texel, 0.0)).rgb * weight;
        total += weight;
    }
    fragColour = vec4(sum / total, 1.0);
}
