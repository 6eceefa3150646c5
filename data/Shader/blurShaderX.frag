#version 330 core
// Horizontal half of a separable blur over "texelSize", in one bilinear fetch: every fetch is paid at
// every pixel of the target, and a shader with a branch or a loop pays for more than it runs here.
// "mipMap" picks the level to read.
// - At level 0 (the shadow map, blurred into a target of its own size) the fetch lies on a texel
//   corner, half a texel back in both directions, where bilinear filtering averages two by two
//   texels. The vertical pass before did the same half a texel forward, so the two passes together
//   weigh three by three texels 1 2 1 in each direction, centred on the texel; the scene's shadow
//   lookup widens that further.
// - At a smaller level (bloom and lens flare) half a texel of level 0 falls well within one texel
//   of the level, where bilinear filtering is linear in the position: any symmetric set of taps
//   that close sums to this one fetch, and the glow's width comes from the level itself and its
//   rebuild.

in vec2 uv;

uniform sampler2D toBlur;
uniform float texelSize;
uniform int mipMap;

out vec4 fragColor;

void main() {
    vec2 offset = mipMap == 0 ? vec2(-0.5, -0.5) : vec2(0.5, 0.0);
    fragColor = textureLod(toBlur, uv + offset * texelSize, float(mipMap));
}
