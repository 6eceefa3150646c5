#version 330 core
// Horizontal half of a separable 9-tap Gaussian (sigma about 2 texels). Each fetch lands between two
// texels so that bilinear filtering sums both with the right weights: 5 fetches do the work of 9.
// "mipMap" picks the level to read; the bloom chain reads a small level, which widens the glow for free.

in vec2 uv;

uniform sampler2D toBlur;
uniform float texelSize;
uniform int mipMap;

out vec4 fragColor;

const float centreWeight = 0.2270270270;
const vec2 pairWeights = vec2(0.3162162162, 0.0702702703);
const vec2 pairOffsets = vec2(1.3846153846, 3.2307692308);

void main() {
    float lod = float(mipMap);
    vec4 sum = textureLod(toBlur, uv, lod) * centreWeight;
    for (int i = 0; i < 2; ++i) {
        vec2 offset = vec2(pairOffsets[i] * texelSize, 0.0);
        sum += (textureLod(toBlur, uv + offset, lod) + textureLod(toBlur, uv - offset, lod)) *
               pairWeights[i];
    }
    fragColor = sum;
}
