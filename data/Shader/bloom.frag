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

const float bloomGain = 1.6;

vec3 softLight(vec3 base, vec3 blend) {
    // The glow is mapped onto the upper half of the blend range, where soft light only brightens.
    vec3 b = 0.5 + 0.5 * blend;
    return base + (2.0 * b - 1.0) * (sqrt(base) - base);
}

void main() {
    vec3 scene = texture(postProTexture, uv).rgb;
    vec3 glow = min(texture(bloomTexture, uv).rgb * bloomGain, vec3(1.0));
    vec3 colour = scene;
    if (BlendMode == 1) {
        colour = scene + glow;
    } else if (BlendMode == 2) {
        colour = 1.0 - (1.0 - scene) * (1.0 - glow);
    } else if (BlendMode == 3) {
        colour = softLight(scene, glow);
    }
    fragColor = vec4(colour, 1.0);
}
