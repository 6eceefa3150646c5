#version 330 core
// Floor stand-in for the depth stage: a constant colour.

out vec4 fragColor;

void main() {
    fragColor = vec4(0.5, 0.25, 0.0, 1.0);
}
