#version 330 core
// Adds the lens-flare features to the finished image.

in vec2 uv;

uniform sampler2D uInputTex;
uniform sampler2D uLensFlareTex;

out vec4 fragColor;

const float flareStrength = 1.0;

void main() {
    vec3 image = texture(uInputTex, uv).rgb;
    vec3 flare = texture(uLensFlareTex, uv).rgb;
    fragColor = vec4(image + flare * flareStrength, 1.0);
}
