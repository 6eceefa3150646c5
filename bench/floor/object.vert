#version 330 core
// Floor stand-in for the scene and sky box vertex stages: the position through one matrix.

in vec3 position;
in vec2 UV;

uniform mat4 MVP;

out vec2 uv;

void main() {
    uv = UV;
    gl_Position = MVP * vec4(position, 1.0);
}
