#version 330 core
// Vertical step of a separable blur: the mean of two bilinear fetches half a texel either side of
// the pixel along y. "mipMap" is the step's level of the full picture's size, whose texel
// "texelSize" is; the source may itself be smaller than the picture, so the level read within it
// is "mipMap" less the levels it lies below the picture.
// - Where the target has the size of the level it reads (bloom and lens flare, drawn into the same
//   level of the other bright image), the fetches weigh three texels 1 2 1.
// - Where the target has half the rows of the source (the shadow map, at its own size), each pixel
//   covers two texels and the fetches land on their centres: their mean, which halves the map
//   without leaving any texel out.

in vec2 uv;

uniform sampler2D toBlur;
uniform float texelSize;
uniform int mipMap;

out vec4 fragColor;

void main() {
    float levelsBelow = round(log2(1.0 / (texelSize * float(textureSize(toBlur, 0).y))));
    int level = mipMap - int(levelsBelow);
    vec2 halfTexel = vec2(0.0, 0.5 / float(textureSize(toBlur, level).y));
    fragColor = 0.5 * (textureLod(toBlur, uv - halfTexel, float(level)) +
                       textureLod(toBlur, uv + halfTexel, float(level)));
}
