#version 330 core
// Keeps only the light above "threshold": how far a pixel's brightness exceeds the threshold, as a
// share of the range left above it, carried on the pixel's own colour so that a glow keeps the hue
// of its source. Light halfway up that range already passes whole, so a sunlit cloud glows. The
// target has the source's size, so each pixel reads its own texel unfiltered.

in vec2 uv;

uniform sampler2D postProTexture;
uniform float threshold;

out vec4 fragColor;

const vec3 lumaWeights = vec3(0.2126, 0.7152, 0.0722);
// The share of the range above the threshold from which light passes whole, inverted.
const float fullFrom = 2.0;

void main() {
    vec3 colour = texelFetch(postProTexture, ivec2(gl_FragCoord.xy), 0).rgb;
    float brightness = max(dot(colour, lumaWeights), max(colour.r, max(colour.g, colour.b)) * 0.85);
    float excess = clamp((brightness - threshold) / max(1.0 - threshold, 1e-3), 0.0, 1.0);
    fragColor = vec4(colour * min(excess * fullFrom, 1.0), 1.0);
}
