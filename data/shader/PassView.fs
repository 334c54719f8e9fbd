#version 330 core
// Pass views (V), fragment stage for a colour image (the god-ray occlusion,
// the bloom bright image, the bloom blur): the image as its pass left it,
// stretched over the window. One sample per pixel.
in vec2 uv;

uniform sampler2D image;

out vec4 fragColour;

void main()
{
    fragColour = vec4(texture(image, uv).rgb, 1.0);
}
