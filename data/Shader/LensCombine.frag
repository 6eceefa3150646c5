#version 330 core
// Adds the lens-flare features to the finished image.

in vec2 uv;

uniform sampler2D uInputTex;
uniform sampler2D uLensFlareTex;

out vec4 fragColor;

const float flareStrength = 1.0;

void main() {
    // Both images have the screen's size: each pixel reads its own texels, unfiltered.
    ivec2 texel = ivec2(gl_FragCoord.xy);
    vec3 image = texelFetch(uInputTex, texel, 0).rgb;
    vec3 flare = texelFetch(uLensFlareTex, texel, 0).rgb;
    fragColor = vec4(image + flare * flareStrength, 1.0);
}
