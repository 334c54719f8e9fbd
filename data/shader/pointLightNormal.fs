#version 330 core
// Final lighting pass, fragment stage. Blinn-Phong from every point light
// with distance attenuation, diffuse/specular/normal maps, and the three
// optional effects: cube-map shadows (a few filtered taps), god rays marched
// through the occlusion image, and the blurred bloom image added on top.
//
// Each effect's code is compiled in only where its switch below is 1: the
// viewer builds one program per combination of effects and uses the one
// that matches its toggles, because a software rasteriser runs every branch
// whatever its uniform says, so an effect switched off at run time alone
// would still cost its full share. The switches default to every effect on,
// so the file on its own is the full shader. The runtime flags
// ("shadow.on", ...) still gate each effect that is compiled in.
// Cost on llvmpipe (2 cores, 1280x720): the pass takes about 56 ms with
// every effect; each mipmapped material sample about 7 ms, the shadow taps
// about 9 ms, the god-ray samples about 6 ms, and each light slot about 4.5 ms.
#ifndef SHADOWS
#define SHADOWS 1
#endif
#ifndef GOD_RAYS
#define GOD_RAYS 1
#endif
#ifndef BLOOM
#define BLOOM 1
#endif

// The scene has one light (index 0); every further slot would cost its
// 4.5 ms even while empty.
const int kMaxLights = 1;
#if SHADOWS
// Shadow filtering: taps on a small disc around the lookup direction soften
// the 1024-texel cube map's stair steps; turned per pixel, four of them
// dither the penumbra instead of stepping it.
const int kShadowTaps = 4;
const float kShadowBias = 0.03;         // world units; the back faces are stored, so little is needed
const float kShadowDiscRadius = 0.012;  // relative to the distance to the light
#endif
#if GOD_RAYS
// God rays: the march is kGodRayMarchLength steps long from pixel to light
// (the decay applies per step), of which kGodRaySamples are taken, all on
// the glass. The glass and its cage reach kGodRaySourceRadius metres from
// the light.
const int kGodRayMarchLength = 64;
const int kGodRaySamples = 6;
const float kGodRaySourceRadius = 0.15;
const float kGodRaySourceCore = 0.6;   // fraction of the radius that emits fully
const float kGodRayIntensity = 2.0;
#endif
#if BLOOM
const float kBloomStrength = 1.2;
#endif

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

#if SHADOWS
struct Shadow {
    bool on;
    samplerCube map;
    float far;
};
uniform Shadow shadow;
#endif

#if GOD_RAYS
struct GodRays {
    bool on;
    sampler2D map;
    vec2 lightScreenPosition;
    float exposure;
    float decay;
    float density;
    float weight;
};
uniform GodRays godRays;
// The god rays reach the glass's apparent size through the projection.
uniform mat4 projection;
#endif

#if BLOOM
struct Bloom {
    bool on;
    sampler2D map;
};
uniform Bloom bloom;
#endif

#if GOD_RAYS || BLOOM
struct Screen {
    float width;
    float height;
};
uniform Screen screen;
#endif

uniform PointLightParams pointLights[kMaxLights];
uniform Material material;
uniform vec3 viewPos;

in VertexOut {
    vec3 worldPosition;
    vec2 uv;
    vec3 normal;
    vec3 tangent;
    vec3 bitangent;
} fin;

out vec4 fragColour;

#if SHADOWS
// A ring of taps at two radii, so the turned disc covers it evenly.
const vec2 kShadowTapOffsets[kShadowTaps] = vec2[](
    vec2(1.0, 0.0), vec2(0.0, 0.5), vec2(-1.0, 0.0), vec2(0.0, -0.5));
#endif

// Squared lengths below this carry no direction: a mesh without normals
// or tangents gets zero vectors, and degenerate texture coordinates give
// tangents that cancel out.
const float kMinDirectionLengthSquared = 1e-10;
// A normal-map sample further than this from unit length is no normal map.
const float kNormalMapTolerance = 0.3;

// `v` at unit length, or zero where it has no direction. normalize() of a
// zero vector is NaN, and what a driver makes of a NaN differs (llvmpipe
// happens to turn max(NaN, 0.0) into 0; other drivers may draw black), so
// the length is tested first, in a comparison that a NaN fails too.
vec3 unitOrZero(vec3 v)
{
    float lengthSquared = dot(v, v);
    // The max keeps the unchosen side finite as well.
    return lengthSquared > kMinDirectionLengthSquared
         ? v * inversesqrt(max(lengthSquared, kMinDirectionLengthSquared)) : vec3(0.0);
}

// The surface normal, bent by the normal map where the mesh has a usable
// tangent frame. A sample far from unit length is no normal map at all
// (nothing bound, or the wrong image), so the vertex normal stands. A mesh
// without normals gets the zero normal: only the ambient term lights it.
// The caller samples the map before any per-pixel choice: after one, the
// implicit derivatives that pick its mip level are undefined.
vec3 surfaceNormal(vec3 normalSample)
{
    vec3 n = unitOrZero(fin.normal);
    vec3 t = unitOrZero(fin.tangent - n * dot(n, fin.tangent));
    vec3 b = unitOrZero(fin.bitangent);
    vec3 mapped = normalSample * 2.0 - 1.0;
    vec3 bent = unitOrZero(mat3(t, b, n) * mapped);
    // Each test passes only when its comparison holds, so a NaN fails it.
    bool frameUsable = dot(n, n) > 0.5 && dot(t, t) > 0.5 && dot(b, b) > 0.5;
    bool mapUsable = abs(length(mapped) - 1.0) <= kNormalMapTolerance && dot(bent, bent) > 0.5;
    return frameUsable && mapUsable ? bent : n;
}

#if SHADOWS || GOD_RAYS
// Per-pixel noise in [0, 1): turns the few samples' steps into a fine dither
// instead of visible bands.
float interleavedNoise(vec2 pixel)
{
    return fract(52.9829189 * fract(dot(pixel, vec2(0.06711056, 0.00583715))));
}
#endif

#if SHADOWS
// 1 where lit, 0 where a caster stands between the surface and the light.
// kShadowTaps lookups on a small disc across the light direction, the disc
// turned per pixel, soften the 1024-texel faces' stair steps into a dither.
float lightVisibility(vec3 lightPosition)
{
    vec3 fromLight = fin.worldPosition - lightPosition;
    float distanceToLight = length(fromLight);
    vec3 direction = fromLight / distanceToLight;
    vec3 helper = abs(direction.y) < 0.9 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0);
    vec3 across = normalize(cross(direction, helper));
    vec3 along = cross(direction, across);
    float angle = 6.2831853 * interleavedNoise(gl_FragCoord.xy);
    vec2 turn = vec2(cos(angle), sin(angle));
    float radius = kShadowDiscRadius * distanceToLight;
    float lit = 0.0;
    for (int i = 0; i < kShadowTaps; ++i) {
        vec2 tap = kShadowTapOffsets[i];
        vec2 turned = vec2(tap.x * turn.x - tap.y * turn.y, tap.x * turn.y + tap.y * turn.x) * radius;
        float stored = texture(shadow.map, fromLight + across * turned.x + along * turned.y).r * shadow.far;
        lit += (distanceToLight - kShadowBias > stored) ? 0.0 : 1.0;
    }
    // Beyond the cube map's reach nothing was stored. Chosen after the taps,
    // so that every pixel samples in the same control flow.
    return distanceToLight < shadow.far ? lit / float(kShadowTaps) : 1.0;
}
#endif

vec3 shadePointLight(PointLightParams light, vec3 n, vec3 toEye, vec3 albedo, vec3 specularColour,
                     float visibility)
{
    vec3 toLight = light.position - fin.worldPosition;
    float distanceToLight = length(toLight);
    toLight /= distanceToLight;
    float attenuation = 1.0 / (light.constant + light.linear * distanceToLight
                               + light.quadratic * distanceToLight * distanceToLight);
    float diffuse = max(dot(n, toLight), 0.0);
    vec3 halfway = unitOrZero(toLight + toEye);
    float specular = diffuse > 0.0 ? pow(max(dot(n, halfway), 0.0), material.shininess) : 0.0;
    // Ambient is not attenuated: it keeps the far ends of the hallway readable.
    return light.ambient * albedo
         + visibility * attenuation * (light.diffuse * diffuse * albedo + light.specular * specular * specularColour);
}

#if GOD_RAYS
// God rays: each pixel marches towards the light's screen position through
// the occlusion image, gathering what the beacon's glass emits there and
// losing what the spinning blockers cover, so shafts stream outwards and
// are cut as the blockers turn. Only the glass emits: the occlusion image's
// background is bright everywhere, and letting it in washes the whole frame
// pink. All of a pixel's samples are spent on the stretch of its march that
// crosses the glass, where they can count.
vec3 godRayLight(vec3 lightPosition)
{
    vec2 screenSize = vec2(screen.width, screen.height);
    float aspect = screenSize.x / screenSize.y;
    vec2 pixel = gl_FragCoord.xy / screenSize;
    vec2 source = godRays.lightScreenPosition * 0.5 + 0.5;
    vec2 toPixel = pixel - source;
    // Apparent radius of the glass, in screen heights.
    float glassRadius = kGodRaySourceRadius * projection[1][1] * 0.5
                      / max(distance(lightPosition, viewPos), projection[1][1] * kGodRaySourceRadius);
    float pixelDistance = length(toPixel * vec2(aspect, 1.0));
    // The march covers the line from the pixel (1) towards the light (0) as
    // far as the density takes it; only the part inside the glass counts.
    float marchEnd = max(0.0, 1.0 - godRays.density);
    float glassEnd = min(1.0, glassRadius / max(pixelDistance, 1e-6));
    // A march that ends short of the glass has no stretch on it and gathers
    // nothing. No early return: the samples below stay in the same control
    // flow for every pixel.
    float onGlass = max(glassEnd - marchEnd, 0.0);
    // Jittered per pixel, so the few samples dither instead of banding.
    float jitter = interleavedNoise(gl_FragCoord.xy);

    // Samples nearer the light come later in the march and have decayed
    // more: the decay exponent falls linearly from sample to sample.
    float spacing = onGlass / float(kGodRaySamples);
    float firstAlong = marchEnd + spacing * jitter;
    float stepsPerSample = float(kGodRayMarchLength) * spacing / godRays.density;
    float decayed = pow(godRays.decay, float(kGodRayMarchLength) * (1.0 - firstAlong) / godRays.density);
    float decayPerSample = pow(godRays.decay, -stepsPerSample);
    vec3 sum = vec3(0.0);
    for (int i = 0; i < kGodRaySamples; ++i) {
        float along = firstAlong + spacing * float(i);
        float radial = along * pixelDistance / glassRadius;
        float emits = clamp((1.0 - radial) / (1.0 - kGodRaySourceCore), 0.0, 1.0);
        sum += texture(godRays.map, source + toPixel * along).rgb * (emits * decayed);
        decayed *= decayPerSample;
    }
    // Stands in for the samples a full march would have landed on the glass.
    float landed = float(kGodRayMarchLength) * onGlass / godRays.density;
    return sum / float(kGodRaySamples) * landed * godRays.weight * godRays.exposure * kGodRayIntensity;
}
#endif

void main()
{
    // Every material image is sampled here, before any per-pixel choice.
    vec3 albedo = texture(material.diffuse, fin.uv).rgb;
    vec3 specularColour = texture(material.specular, fin.uv).rgb;
    vec3 n = surfaceNormal(texture(material.normal, fin.uv).rgb);
    vec3 toEye = normalize(viewPos - fin.worldPosition);

    // Only the first light casts the cube-map shadow. Looked up once, outside
    // the light loop: a software renderer runs every iteration's code.
    float firstLightVisibility = 1.0;
#if SHADOWS
    if (shadow.on) {
        firstLightVisibility = lightVisibility(pointLights[0].position);
    }
#endif
    vec3 colour = vec3(0.0);
    for (int i = 0; i < kMaxLights; ++i) {
        // Unset slots have all-zero coefficients; they add nothing.
        if (pointLights[i].constant + pointLights[i].linear + pointLights[i].quadratic <= 0.0) {
            continue;
        }
        float visibility = i == 0 ? firstLightVisibility : 1.0;
        colour += shadePointLight(pointLights[i], n, toEye, albedo, specularColour, visibility);
    }
#if GOD_RAYS
    if (godRays.on) {
        colour += godRayLight(pointLights[0].position);
    }
#endif
#if BLOOM
    if (bloom.on) {
        colour += kBloomStrength * texture(bloom.map, gl_FragCoord.xy / vec2(screen.width, screen.height)).rgb;
    }
#endif
    fragColour = vec4(colour, 1.0);
}
