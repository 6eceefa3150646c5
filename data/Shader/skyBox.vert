#version 330 core
// The sky box: a large box around the figure, seen from inside.

in vec3 position;
in vec2 UV;

uniform mat4 MVP;

out vec2 uv;

void main() {
    uv = UV;
    gl_Position = MVP * vec4(position, 1.0);
}
