#version 330 core
// Adds the lens-flare features to the finished image. The picture may be drawn into a larger or
// smaller screen than the images, so both are read by their texture coordinate: the image at its
// nearest texel, exact where the sizes match and as cheap as a fetch gets; the features, drawn at
// a quarter of the picture's size, magnified by a bilinear fetch.

in vec2 uv;

uniform sampler2D uInputTex;
uniform sampler2D uLensFlareTex;

out vec4 fragColor;

const float flareStrength = 1.0;

void main() {
    vec3 image = texelFetch(uInputTex, ivec2(uv * vec2(textureSize(uInputTex, 0))), 0).rgb;
    vec3 features = textureLod(uLensFlareTex, uv, 0.0).rgb;
    fragColor = vec4(image + features * flareStrength, 1.0);
}
