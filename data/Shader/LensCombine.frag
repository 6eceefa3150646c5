#version 330 core
// Adds the lens-flare features to the finished image. The picture may be drawn into a larger or
// smaller screen than the images, so both are read by their texture coordinate, at the nearest
// texel: exact where the sizes match, and as cheap as a fetch gets.

in vec2 uv;

uniform sampler2D uInputTex;
uniform sampler2D uLensFlareTex;

out vec4 fragColor;

const float flareStrength = 1.0;

vec3 nearest(sampler2D image) {
    return texelFetch(image, ivec2(uv * vec2(textureSize(image, 0))), 0).rgb;
}

void main() {
    fragColor = vec4(nearest(uInputTex) + nearest(uLensFlareTex) * flareStrength, 1.0);
}
