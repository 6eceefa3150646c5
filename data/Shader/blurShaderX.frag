#version 330 core
// Horizontal half of a separable Gaussian (the 5-tap binomial 1 4 6 4 1). The two outer fetches
// land between texels, where bilinear filtering sums each pair with the right weights: 3 fetches do
// the work of 5, which matters because every fetch is paid for at every pixel of the target.
// "mipMap" picks the level to read; the bloom chain reads a small level, which widens the glow
// for free, while the single-level shadow map always reads its only level.

in vec2 uv;

uniform sampler2D toBlur;
uniform float texelSize;
uniform int mipMap;

out vec4 fragColor;

const float centreWeight = 0.375;
const float pairWeight = 0.3125;
const float pairOffset = 1.2;

void main() {
    float lod = float(mipMap);
    vec2 offset = vec2(pairOffset * texelSize, 0.0);
    fragColor = textureLod(toBlur, uv, lod) * centreWeight +
                (textureLod(toBlur, uv + offset, lod) + textureLod(toBlur, uv - offset, lod)) *
                    pairWeight;
}
