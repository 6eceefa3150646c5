#version 330 core
// A flare sprite: the glow texture tinted by the flare's "color". Its brightness becomes its
// coverage, so the dark surround of the glow blends away and only light is added.

in vec2 uv;

uniform sampler2D texture0;
uniform vec3 color;

out vec4 fragColor;

const float glowStrength = 0.85;

void main() {
    vec4 glow = texture(texture0, uv);
    float coverage = clamp(max(glow.r, max(glow.g, glow.b)) * glow.a * glowStrength, 0.0, 1.0);
    vec3 tint = mix(color, vec3(1.0), 0.25 * glow.r * glow.g * glow.b);
    fragColor = vec4(tint * glow.rgb, coverage);
}
