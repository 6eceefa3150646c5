#version 330 core
// Floor stand-in for every textured stage: one fetch from unit 0, whatever the pass binds there.

in vec2 uv;

uniform sampler2D source;

out vec4 fragColor;

void main() {
    fragColor = texture(source, uv);
}
