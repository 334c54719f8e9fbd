#version 330 core
// Pass views (V), fragment stage for the shadow cube map: its six faces
// unfolded as a cross, four across and three down, as the light sees them.
// The middle row looks around the horizon (-X, -Z, +X, +Z), +Y above -Z and
// -Y below it; the cells beside those two show the background. The depth
// (distance to the light over the far plane) is drawn as grey, near light
// and far dark. One sample per pixel.
in vec2 uv;

uniform samplerCube image;

out vec4 fragColour;

const vec2 kCrossCells = vec2(4.0, 3.0);
const vec3 kBackground = vec3(0.06, 0.06, 0.08);
// The hallway lies within the nearest part of the far plane: a power below
// one spreads those depths over more of the grey.
const float kDepthCurve = 0.5;

void main()
{
    vec2 grid = uv * kCrossCells;
    vec2 cell = floor(grid);
    vec2 p = fract(grid) * 2.0 - 1.0;
    vec3 direction;
    if (cell.y == 1.0) {
        if (cell.x == 0.0) {
            direction = vec3(-1.0, p.y, -p.x);
        } else if (cell.x == 1.0) {
            direction = vec3(p.x, p.y, -1.0);
        } else if (cell.x == 2.0) {
            direction = vec3(1.0, p.y, p.x);
        } else {
            direction = vec3(-p.x, p.y, 1.0);
        }
    } else if (cell.x == 1.0) {
        direction = cell.y == 2.0 ? vec3(p.x, 1.0, p.y) : vec3(p.x, -1.0, -p.y);
    } else {
        fragColour = vec4(kBackground, 1.0);
        return;
    }
    float depth = texture(image, direction).r;
    fragColour = vec4(vec3(1.0 - pow(clamp(depth, 0.0, 1.0), kDepthCurve)), 1.0);
}
