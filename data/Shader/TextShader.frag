// Text overlay: the font image carries white glyphs over a soft dark outline with straight alpha,
// so its texels are drawn as they are and blended over the finished frame.
#version 330 core

in vec2 UV;

out vec4 fragColor;

uniform sampler2D myTextureSampler;

void main() {
    fragColor = texture(myTextureSampler, UV);
}
