#version 330 core
// Final lighting pass, fragment stage. Blinn-Phong from every point light
// with distance attenuation, diffuse/specular/normal maps, and the three
// optional effects: cube-map shadows (a few filtered taps), god rays marched
// through the occlusion image, and the blurred bloom image added on top.
// Cost per pixel on a software renderer: 1 + 3 material taps, kShadowTaps
// shadow taps, kGodRaySamples god-ray taps, 1 bloom tap.

const int kMaxLights = 16;
// Shadow filtering: taps on a small disc around the lookup direction soften
// the 1024-texel cube map's stair steps.
const int kShadowTaps = 4;
const float kShadowBias = 0.03;         // world units; the back faces are stored, so little is needed
const float kShadowDiscRadius = 0.012;  // relative to the distance to the light
// God rays: samples marched from the pixel towards the light on screen.
const int kGodRaySamples = 24;
// Only the occlusion image near the light emits: the image's background is
// bright everywhere, and the beacon is the source the shafts stream from.
const float kGodRaySourceRadius = 0.18;  // in screen heights
const float kBloomStrength = 1.2;

struct PointLightParams {
    vec3 position;
    vec3 ambient;
    vec3 diffuse;
    vec3 specular;
    float constant;
    float linear;
    float quadratic;
};

struct Material {
    sampler2D diffuse;
    sampler2D specular;
    sampler2D normal;
    sampler2D height;
    float shininess;
};

struct Shadow {
    bool on;
    samplerCube map;
    float far;
};

struct GodRays {
    bool on;
    sampler2D map;
    vec2 lightScreenPosition;
    float exposure;
    float decay;
    float density;
    float weight;
};

struct Bloom {
    bool on;
    sampler2D map;
};

struct Screen {
    float width;
    float height;
};

uniform PointLightParams pointLights[kMaxLights];
uniform Material material;
uniform Shadow shadow;
uniform GodRays godRays;
uniform Bloom bloom;
uniform Screen screen;
uniform vec3 viewPos;

in VertexOut {
    vec3 worldPosition;
    vec2 uv;
    vec3 normal;
    vec3 tangent;
    vec3 bitangent;
} fin;

out vec4 fragColour;

const vec3 kShadowTapOffsets[kShadowTaps] = vec3[](
    vec3(1.0, 1.0, 1.0), vec3(-1.0, -1.0, 1.0), vec3(1.0, -1.0, -1.0), vec3(-1.0, 1.0, -1.0));

// The surface normal, bent by the normal map where the mesh has a usable
// tangent frame. A sample far from unit length is no normal map at all
// (nothing bound, or the wrong image), so the vertex normal stands.
vec3 surfaceNormal()
{
    vec3 n = normalize(fin.normal);
    vec3 t = fin.tangent - n * dot(n, fin.tangent);
    vec3 b = fin.bitangent;
    if (dot(t, t) < 1e-10 || dot(b, b) < 1e-10) {
        return n;
    }
    vec3 mapped = texture(material.normal, fin.uv).rgb * 2.0 - 1.0;
    if (abs(length(mapped) - 1.0) > 0.3) {
        return n;
    }
    return normalize(mat3(normalize(t), normalize(b), n) * mapped);
}

// 1 where lit, 0 where a caster stands between the surface and the light.
float lightVisibility(vec3 lightPosition)
{
    vec3 fromLight = fin.worldPosition - lightPosition;
    float distanceToLight = length(fromLight);
    if (distanceToLight >= shadow.far) {
        return 1.0;  // beyond the cube map's reach nothing was stored
    }
    float lit = 0.0;
    float radius = kShadowDiscRadius * distanceToLight;
    for (int i = 0; i < kShadowTaps; ++i) {
        float stored = texture(shadow.map, fromLight + kShadowTapOffsets[i] * radius).r * shadow.far;
        lit += (distanceToLight - kShadowBias > stored) ? 0.0 : 1.0;
    }
    return lit / float(kShadowTaps);
}

vec3 shadePointLight(PointLightParams light, vec3 n, vec3 toEye, vec3 albedo, vec3 specularColour,
                     float visibility)
{
    vec3 toLight = light.position - fin.worldPosition;
    float distanceToLight = length(toLight);
    toLight /= distanceToLight;
    float attenuation = 1.0 / (light.constant + light.linear * distanceToLight
                               + light.quadratic * distanceToLight * distanceToLight);
    float diffuse = max(dot(n, toLight), 0.0);
    vec3 halfway = normalize(toLight + toEye);
    float specular = diffuse > 0.0 ? pow(max(dot(n, halfway), 0.0), material.shininess) : 0.0;
    // Ambient is not attenuated: it keeps the far ends of the hallway readable.
    return light.ambient * albedo
         + visibility * attenuation * (light.diffuse * diffuse * albedo + light.specular * specular * specularColour);
}

vec3 godRayLight()
{
    vec2 size = vec2(screen.width, screen.height);
    vec2 coord = gl_FragCoord.xy / size;
    vec2 source = godRays.lightScreenPosition * 0.5 + 0.5;
    vec2 step = (coord - source) * godRays.density / float(kGodRaySamples);
    float aspect = size.x / size.y;
    float illumination = 1.0;
    vec3 sum = vec3(0.0);
    for (int i = 0; i < kGodRaySamples; ++i) {
        coord -= step;
        vec2 offset = (coord - source) * vec2(aspect, 1.0);
        float nearSource = 1.0 - smoothstep(0.0, kGodRaySourceRadius, length(offset));
        sum += texture(godRays.map, coord).rgb * nearSource * illumination * godRays.weight;
        illumination *= godRays.decay;
    }
    return sum * godRays.exposure;
}

void main()
{
    vec3 albedo = texture(material.diffuse, fin.uv).rgb;
    vec3 specularColour = texture(material.specular, fin.uv).rgb;
    vec3 n = surfaceNormal();
    vec3 toEye = normalize(viewPos - fin.worldPosition);

    vec3 colour = vec3(0.0);
    for (int i = 0; i < kMaxLights; ++i) {
        // Unset slots have all-zero coefficients; they add nothing.
        if (pointLights[i].constant + pointLights[i].linear + pointLights[i].quadratic <= 0.0) {
            continue;
        }
        // Only the first light casts the cube-map shadow.
        float visibility = (i == 0 && shadow.on) ? lightVisibility(pointLights[i].position) : 1.0;
        colour += shadePointLight(pointLights[i], n, toEye, albedo, specularColour, visibility);
    }
    if (godRays.on) {
        colour += godRayLight();
    }
    if (bloom.on) {
        colour += kBloomStrength * texture(bloom.map, gl_FragCoord.xy / vec2(screen.width, screen.height)).rgb;
    }
    fragColour = vec4(colour, 1.0);
}
