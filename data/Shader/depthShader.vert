#version 330 core
// Shadow depth pass: the scene as the light sees it.

in vec3 position;

uniform mat4 dMVP;

void main() {
    gl_Position = dMVP * vec4(position, 1.0);
}
