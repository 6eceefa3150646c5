#version 330 core
// The sky texture as it is: the sky is its own light.

in vec2 uv;

uniform sampler2D texture0;

out vec4 fragColor;

void main() {
    fragColor = vec4(texture(texture0, uv).rgb, 1.0);
}
