#version 330 core
// Keeps only the light above "threshold": how far a pixel's brightness exceeds the threshold, as a
// share of the range left above it, carried on the pixel's own colour so that a glow keeps the hue
// of its source. Light halfway up that range already passes whole, so a sunlit cloud glows.
// The bright image is a quarter of the source's size each way, and its blurs read it smaller still:
// each pixel is the mean of what the four by four source texels it covers keep, exactly what a
// full-size bright image would hold two levels down.

in vec2 uv;

uniform sampler2D postProTexture;
uniform float threshold;

out vec4 fragColor;

const vec3 lumaWeights = vec3(0.2126, 0.7152, 0.0722);
// The share of the range above the threshold from which light passes whole, inverted.
const float fullFrom = 2.0;
// Source texels per bright pixel, each way.
const int shrink = 4;

vec3 keepBright(vec3 colour) {
    float brightness = max(dot(colour, lumaWeights), max(colour.r, max(colour.g, colour.b)) * 0.85);
    float excess = clamp((brightness - threshold) / max(1.0 - threshold, 1e-3), 0.0, 1.0);
    return colour * min(excess * fullFrom, 1.0);
}

void main() {
    ivec2 first = ivec2(gl_FragCoord.xy) * shrink;
    vec3 sum = vec3(0.0);
    for (int y = 0; y < shrink; ++y) {
        for (int x = 0; x < shrink; ++x) {
            sum += keepBright(texelFetch(postProTexture, first + ivec2(x, y), 0).rgb);
        }
    }
    fragColor = vec4(sum / float(shrink * shrink), 1.0);
}
