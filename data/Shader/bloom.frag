#version 330 core
// Lays the blurred highlights over the scene. "BlendMode" picks how:
//   0  the scene alone;
//   1  additive: strong, burns bright areas out to white;
//   2  screen: a softer glow that never clips;
//   3  soft light: the glow lifts mid-tones and adds contrast, leaving dark and white areas alone.

in vec2 uv;

uniform sampler2D postProTexture;
uniform sampler2D bloomTexture;
uniform int BlendMode;

out vec4 fragColor;

// The screen and soft-light blends give back less than addition does; they get more glow to work
// with so that each mode reads clearly on screen.
const float additiveGain = 0.7;
const float screenGain = 2.2;
const float softLightGain = 4.5;

vec3 softLight(vec3 base, vec3 blend) {
    // The glow is mapped onto the upper half of the blend range, where soft light only brightens.
    vec3 b = 0.5 + 0.5 * blend;
    return base + (2.0 * b - 1.0) * (sqrt(base) - base);
}

void main() {
    // Both images have the target's size: each pixel reads its own texels, unfiltered.
    ivec2 texel = ivec2(gl_FragCoord.xy);
    vec3 scene = texelFetch(postProTexture, texel, 0).rgb;
    vec3 glow = texelFetch(bloomTexture, texel, 0).rgb;
    vec3 colour = scene;
    if (BlendMode == 1) {
        colour = scene + glow * additiveGain;
    } else if (BlendMode == 2) {
        colour = 1.0 - (1.0 - scene) * (1.0 - min(glow * screenGain, vec3(1.0)));
    } else if (BlendMode == 3) {
        colour = softLight(scene, min(glow * softLightGain, vec3(1.0)));
    }
    fragColor = vec4(colour, 1.0);
}
