#version 330 core
// Vertical half of a separable blur over "texelSize", in one bilinear fetch: every fetch is paid at
// every pixel of the target, and a shader with a branch pays for both sides here. "mipMap" picks
// the level to read.
// - At level 0 (the shadow map, blurred into a target of its own size) the fetch lies half a texel
//   off the pixel's texel, where bilinear filtering weighs the two neighbours equally; with the
//   other direction's pass that is a two by two box over the moments.
// - At a smaller level (bloom and lens flare) that half texel falls well within one texel of the
//   level, where bilinear filtering is linear in the position: any symmetric set of taps that close
//   sums to this one fetch, and the glow's width comes from the level itself and its rebuild.

in vec2 uv;

uniform sampler2D toBlur;
uniform float texelSize;
uniform int mipMap;

out vec4 fragColor;

void main() {
    fragColor = textureLod(toBlur, uv + vec2(0.0, texelSize * 0.5), float(mipMap));
}
